#include "vcore/pki_files.h"

#include <cstdio>
#include <memory>

#include "vaultcore/crypto/secure_zero.h"
#include "vcore/der_fault.h"

std::string DecodingFailureText(const std::vector<unsigned char>& der)
{
    DerFault fault;
    if (FindDerFault(der.data(), der.size(), fault))
        return "not valid DER at offset " + std::to_string(fault.offset) + ": " + fault.what;
    return ___lastDERDecodingMessage();
}

std::vector<unsigned char> ReadDerFile(const std::string& path, const std::string& label)
{
    return DerValues(InputFile(path).readAll(), path, label).front();
}

namespace {
// The DER of a key file; a PKCS #8 key (openssl's default) is named as
// such, since it only needs converting.
std::vector<unsigned char> keyDer(const std::string& path)
{
    std::vector<unsigned char> bytes = InputFile(path).readAll();
    if (!LooksLikePem(bytes))
        return bytes;
    std::vector<PemBlock> blocks = ReadPemBlocks(bytes, path);
    vcSecureZero(bytes.data(), bytes.size());
    if (blocks.front().label == "PRIVATE KEY")
        throw Failure(path + ": a PKCS #8 key; PKCS #1 is needed (openssl rsa -traditional -in " + path + ")");
    return std::move(blocks.front().der);
}

// A sequence whose INTEGER at index has more than 256 octets: a PKCS #1
// key of more than 2048 bits.
bool isOversizedKey(const std::vector<unsigned char>& der, int index)
{
    try {
        CScopedEncoding encoding(der.data(), (unsigned long)der.size());
        std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
        const auto* sequence = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(value.get());
        return sequence && value->getIdentifier() == 0x10 && sequence->getComponentCount() > index &&
               sequence->getComponentAt(index)->getIdentifier() == 2 &&
               sequence->getComponentAt(index)->getClearContentsLength() > CRSAPublicKey::kFieldSize;
    } catch (CDERDecodingException* e) {
        e->Delete();
        return false;
    }
}
}  // namespace

CRSAPrivateKey ReadKeyFile(const std::string& path, bool needPrivate)
{
    std::vector<unsigned char> der = keyDer(path);
    SecureZeroOnExit wipe(der.data(), der.size());
    CRSAPrivateKey key;
    std::string reason;
    const auto attempt = [&](auto&& read) {
        CScopedEncoding encoding(der.data(), (unsigned long)der.size());
        try {
            read(*encoding);
        } catch (CDERDecodingException* e) {
            e->Delete();
            if (reason.empty())
                reason = DecodingFailureText(der);
            return false;
        }
        return (*encoding).bytesLeft() == 0;
    };
    if (attempt([&](CDEREncoding& encoding) { CASN1_PrivateKey(encoding).SetDataTo(key); }))
        return key;
    if (!needPrivate && attempt([&](CDEREncoding& encoding) {
            CASN1_PublicKey(encoding).SetDataTo(static_cast<CRSAPublicKey&>(key));
        }))
        return key;
    if (isOversizedKey(der, 1) || (!needPrivate && isOversizedKey(der, 0)))
        throw Failure(path + ": keys of more than 2048 bits are not supported");
    throw Failure(path + (needPrivate ? ": not a PKCS #1 RSA private key (" : ": not a PKCS #1 RSA key (") + reason +
                  ")");
}

std::vector<unsigned char> PrivateKeyDer(const CRSAPrivateKey& key)
{
    CByteArray der;
    CASN1_PrivateKey(key).encodeTo(der);
    std::vector<unsigned char> out(der.GetData(), der.GetData() + der.GetSize());
    vcSecureZero(der);
    return out;
}

std::vector<CCertificate> ReadCertificateRecords(const std::string& path)
{
    std::vector<CCertificate> certificates;
    for (const std::vector<unsigned char>& der : DerValues(InputFile(path).readAll(), path, "CERTIFICATE")) {
        certificates.emplace_back();
        DecodeOrFail(
            der, path, "a certificate this library reads",
            [&](CDEREncoding& encoding) { CASN1_Certificate(encoding).SetDataTo(certificates.back()); },
            "; it reads RSA keys of up to 2048 bits, MD2, MD5 or SHA-1 signatures and names in PrintableString, "
            "T61String, IA5String or OCTET STRING");
    }
    return certificates;
}

CCertificate ReadCertificateRecord(const std::string& path)
{
    std::vector<CCertificate> certificates = ReadCertificateRecords(path);
    if (certificates.size() != 1)
        throw Failure(path + ": holds " + std::to_string(certificates.size()) + " certificates, one was expected");
    return certificates.front();
}

std::string NameLine(const CDistinguishedName& name)
{
    const std::string text = (const char*)CString(name);
    std::string line;
    for (char c : text)
        line += c == '\r' ? ',' : c == '\n' ? ' ' : c;
    return line.size() > 2 ? line.substr(0, line.size() - 2) : "<empty>";
}

void PrintDump(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.GetLength() && text[i + 1] == '\n'))
            std::putchar(text[i]);
}
