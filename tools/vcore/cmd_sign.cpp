// vcore sign / vcore verify: PKCS #7 signedData with one RSA signer and
// SHA-1 (optionally over the content-type, message-digest and signing-time
// authenticated attributes, as S/MIME signers write them); and checking the
// signatures of such a message against the signers' certificates.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vcore/pkcs7_host.h"
#include "vcore/pki_files.h"

namespace {

const char kSignHelp[] =
    "Signs IN with the PKCS #1 private key KEY of the certificate CERT (DER or\n"
    "PEM) and writes a PKCS #7 signedData to OUT (DER, or PEM with --pem): SHA-1\n"
    "with RSA, the certificate carried along, the content inside unless\n"
    "--detached. With --attributes the signature covers the content type, the\n"
    "SHA-1 digest of the content and the signing time (now, GMT), as S/MIME\n"
    "signers do. \"-\" is standard input or output.";

const char kVerifyHelp[] =
    "Checks every signature of a PKCS #7 signedData (DER or PEM): the signer's\n"
    "certificate is the one of CERT or of those the message carries that\n"
    "names the issuer and serial number of the signer; the digest is MD2, MD5\n"
    "or SHA-1; authenticated attributes must hold the content's digest and\n"
    "type. Prints one line per signer and exits 0 only when every signature\n"
    "is right. Certificate chains and validity periods are not checked (see\n"
    "vcore x509 --verify). A detached signature needs --content FILE.";

// The identifiers of the digests a signer may name.
const struct {
    CASN1_OBJECT_IDENTIFIER* (*makeIdentifier)();
    EDigestAlgorithm algorithm;
} kDigests[] = {
    {[]() -> CASN1_OBJECT_IDENTIFIER* { return new CASN1_md2; }, eMD2},
    {[]() -> CASN1_OBJECT_IDENTIFIER* { return new CASN1_md5; }, eMD5},
    {[]() -> CASN1_OBJECT_IDENTIFIER* { return new CASN1_sha1; }, eSHA1},
};

bool digestOf(const CASN1_OBJECT_IDENTIFIER& identifier, EDigestAlgorithm& algorithm)
{
    for (const auto& row : kDigests) {
        std::unique_ptr<CASN1_OBJECT_IDENTIFIER> known(row.makeIdentifier());
        if (identifier == *known) {
            algorithm = row.algorithm;
            return true;
        }
    }
    return false;
}

std::unique_ptr<CDigestMaker> newDigest(EDigestAlgorithm algorithm)
{
    if (algorithm == eMD2)
        return std::make_unique<CMD2DigestMaker>();
    if (algorithm == eMD5)
        return std::make_unique<CMD5DigestMaker>();
    return std::make_unique<CSHA1DigestMaker>();
}

std::vector<unsigned char> digestOctets(EDigestAlgorithm algorithm, const std::vector<unsigned char>& octets)
{
    const size_t kStep = 1 << 20;
    std::unique_ptr<CDigestMaker> maker = newDigest(algorithm);
    size_t done = 0;
    do {
        const size_t n = std::min(kStep, octets.size() - done);
        maker->UpdateBlock(octets.data() + done, (int)n, nullptr, done + n == octets.size());
        done += n;
    } while (done < octets.size());
    std::vector<unsigned char> digest(DigestLength(algorithm));
    maker->GetCurrentDigest(digest.data());
    return digest;
}

// The digest of a value's DER encoding, with identifier in place of its own
// when given (authenticated attributes are signed as a SET, 0x31).
std::vector<unsigned char> digestEncoding(EDigestAlgorithm algorithm, const CASN1Type& value, unsigned char identifier)
{
    std::unique_ptr<CDigestMaker> maker = newDigest(algorithm);
    value.digestEncoding(*maker, 0, identifier != 0, identifier);
    std::vector<unsigned char> digest(DigestLength(algorithm));
    maker->GetCurrentDigest(digest.data());
    return digest;
}

CASN1_Attribute* newAttribute(CASN1_OBJECT_IDENTIFIER* type, CASN1Type* value)
{
    CASN1_SET* values = new CASN1_SET;
    values->AddObject(value);
    return new CASN1_Attribute(type, values);
}

CUTCTime nowInGMT()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%y%m%d%H%M%SZ", &utc);
    return CUTCTime(CString(text));
}

// contentType, signingTime and messageDigest in DER order, as they are signed.
CASN1_Attributes* newAuthenticatedAttributes(const std::vector<unsigned char>& contentDigest)
{
    auto* attributes = new CASN1_Attributes;
    attributes->OnOffSorted(TRUE);
    attributes->AddObject(newAttribute(new CASN1_contentType, new CASN1_data));
    attributes->AddObject(newAttribute(new CASN1_signingTime, new CASN1_UTCTime(nowInGMT())));
    attributes->AddObject(newAttribute(new CASN1_messageDigest,
                                       new CASN1_OCTET_STRING(contentDigest.data(), (unsigned long)contentDigest.size())));
    return attributes;
}

CASN1_AlgorithmIdentifier* withNullParameters(CASN1_OBJECT_IDENTIFIER* algorithm)
{
    return new CASN1_AlgorithmIdentifier(algorithm, new CASN1_NULL);
}

int sign(const Args& args)
{
    std::string keyPath, certificatePath;
    bool attributes = false, detached = false, pem = false;
    OptionSet options;
    options.text("--key", &keyPath, "KEY", "the signer's PKCS #1 private key (required)");
    options.text("--cert", &certificatePath, "CERT", "the signer's certificate (required)");
    options.flag("--attributes", &attributes, "sign the content type, digest and signing time");
    options.flag("--detached", &detached, "leave the content out of the message");
    options.flag("--pem", &pem, "write PEM (PKCS7) instead of DER");
    const Args files = options.parse(args, 2, 2);
    if (keyPath.empty() || certificatePath.empty())
        throw UsageError("--key and --cert are required");

    const HostCertificate signer = ReadCertificate(certificatePath);
    const CRSAPrivateKey key = ReadKeyFile(keyPath, true);
    RequireKeyOf(key, signer, keyPath);
    const std::vector<unsigned char> content = InputFile(files[0]).readAll();

    const std::vector<unsigned char> contentDigest = digestOctets(eSHA1, content);
    std::unique_ptr<CASN1_Attributes> signedAttributes;
    std::vector<unsigned char> signedDigest = contentDigest;
    if (attributes) {
        signedAttributes.reset(newAuthenticatedAttributes(contentDigest));
        signedDigest = digestEncoding(eSHA1, *signedAttributes, 0);
    }
    CByteArray signature;
    try {
        key.LockDigest(eSHA1, signedDigest.data(), signature);
    } catch (CUnlockException* e) {
        e->Delete();
        throw Failure(keyPath + ": the RSA key cannot sign (is it complete?)");
    }

    auto* signerInfo = new CASN1_SignerInfo(
        new CASN1_IssuerAndSerialNumber(*signer.asn1), withNullParameters(new CASN1_sha1),
        withNullParameters(new CASN1_rsaEncryption),
        new CASN1_OCTET_STRING(signature.GetData(), (unsigned long)signature.GetSize()));
    if (signedAttributes) {
        signedAttributes->OnOffClearAfterGet(TRUE);
        signerInfo->SetAuthenticatedAttributes(*signedAttributes);
    }
    CASN1_ContentInfo* inner =
        detached ? new CASN1_ContentInfo(new CASN1_data)
                 : new CASN1_ContentInfo(new CASN1_data, static_cast<CASN1Type*>(new CASN1_OCTET_STRING(
                                                             content.data(), (unsigned long)content.size())));
    inner->setIndefinite(FALSE);  // DER
    auto* signedData = new CASN1_SignedData(inner);
    signedData->AddDigestAlgorithmIdentifier(withNullParameters(new CASN1_sha1));
    CASN1_ExtendedCertificatesAndCertificates certificates;
    certificates.AddObject(signer.asn1->clone());
    certificates.OnOffClearAfterGet(TRUE);
    signedData->SetCertificates(certificates);
    signedData->AddSignerInfo(signerInfo);

    CASN1_ContentInfo message(new CASN1_signedData, static_cast<CASN1Type*>(signedData));
    message.setIndefinite(FALSE);
    WriteMessage(files[1], message, pem);
    return 0;
}

// --- verifying ---

// The octets a signature covers: an OCTET STRING's octets for data (its
// segments joined), else the contents octets of the content's encoding.
std::vector<unsigned char> signedOctets(CASN1_ContentInfo& inner)
{
    const CASN1Type& content = inner.GetContent();
    if (inner.get_contentType() == CASN1_data())
        return ClearOctets(content);
    CByteArray encoding;
    content.encodeTo(encoding);
    const unsigned long header = encoding.GetSize() - content.getEncodedLength(1);
    return std::vector<unsigned char>(encoding.GetData() + header, encoding.GetData() + encoding.GetSize());
}

// The one value of the attribute of that type; null when the set has no
// such attribute. Fails when it has another number of values.
const CASN1Type* attributeValue(const CASN1_Attributes& attributes, const CASN1_OBJECT_IDENTIFIER& type,
                                const std::string& where)
{
    const int index = attributes.Find(type);
    if (index < 0)
        return nullptr;
    const CASN1_SET& values = attributes.getComponent(index).GetValues();
    if (values.getComponentCount() != 1)
        throw Failure(where + ": the " + AlgorithmText(type) + " attribute has " +
                      std::to_string(values.getComponentCount()) + " values, one was expected");
    return values.getComponentAt(0);
}

struct SignerCheck {
    std::string line;
    bool ok = false;
    SignerCheck& says(const std::string& verdict, bool right = false)
    {
        line += ": " + verdict;
        ok = right;
        return *this;
    }
};

const HostCertificate* certificateOf(const CASN1_IssuerAndSerialNumber& signer,
                                     const std::vector<HostCertificate>& certificates)
{
    for (const HostCertificate& certificate : certificates)
        if (signer.Names(*certificate.asn1))
            return &certificate;
    return nullptr;
}

SignerCheck checkSigner(CASN1_SignerInfo& signer, const CASN1_OBJECT_IDENTIFIER& contentType,
                        const std::vector<unsigned char>& content, const std::vector<HostCertificate>& certificates,
                        const std::string& where)
{
    SignerCheck check;
    const CASN1_IssuerAndSerialNumber& id = signer.get_issuerAndSerialNumber();
    const HostCertificate* certificate = certificateOf(id, certificates);
    check.line = certificate ? NameText(certificate->asn1->GetSubject())
                             : "issuer " + NameText(id.get_issuer()) + ", serial " + SerialText(id.get_serialNumber());
    EDigestAlgorithm algorithm;
    if (!certificate)
        return check.says("no certificate (give it with --cert)");
    if (!digestOf(signer.get_digestAlgorithm().get_algorithm(), algorithm))
        return check.says("digest " + AlgorithmText(signer.get_digestAlgorithm().get_algorithm()) +
                          " is not supported (md2, md5 and sha1 are)");
    const std::vector<unsigned char> contentDigest = digestOctets(algorithm, content);
    std::vector<unsigned char> signedDigest = contentDigest;
    std::string signingTime;
    if (signer.IsAuthenticatedAttributes()) {
        const std::unique_ptr<CASN1_Attributes> attributes(signer.GetAuthenticatedAttributes(FALSE));
        const CASN1Type* digest = attributeValue(*attributes, CASN1_messageDigest(), where);
        const CASN1Type* type = attributeValue(*attributes, CASN1_contentType(), where);
        if (!digest || digest->getIdentifier() != 0x04 || ClearOctets(*digest) != contentDigest)
            return check.says("the content does not match the signed message digest");
        const auto* typeIdentifier = dynamic_cast<const CASN1_OBJECT_IDENTIFIER*>(type);
        if (!typeIdentifier || !(*typeIdentifier == contentType))
            return check.says("the signed content type is not the content's");
        if (const auto* time = dynamic_cast<const CASN1_UTCTime*>(attributeValue(*attributes, CASN1_signingTime(), where))) {
            CUTCTime when;
            try {
                time->SetDataTo(when);
                signingTime = std::string(", signed ") + (const char*)when.GetTimeAsString(TRUE, FALSE);
            } catch (CDERDecodingException* e) {
                e->Delete();
            }
        }
        signedDigest = digestEncoding(algorithm, signer.get_authenticatedAttributes(), 0x11);
    }
    CRSAPublicKey key;
    certificate->record.SetDataTo(key);
    CByteArray encrypted;
    signer.GetEncryptedDigest().GetClearData(encrypted, TRUE);
    std::vector<unsigned char> recovered(signedDigest.size());
    try {
        key.UnlockDigest(algorithm, encrypted, recovered.data(), key.GetBits());
    } catch (CUnlockException* e) {
        e->Delete();
        return check.says("signature WRONG (it does not decrypt with the certificate's key)");
    }
    if (recovered != signedDigest)
        return check.says("signature WRONG");
    return check.says("signature OK" + signingTime, true);
}

int verify(const Args& args)
{
    std::string certificatePath, contentPath, outPath;
    OptionSet options;
    options.text("--cert", &certificatePath, "CERT", "a signer certificate the message does not carry");
    options.text("--content", &contentPath, "FILE", "the signed content of a detached signature");
    options.text("-o,--out", &outPath, "FILE", "write the signed content here when every signature is right");
    const std::string in = options.parse(args, 1, 1)[0];

    return WithMessage(in, [&] {
        std::unique_ptr<CASN1_ContentInfo> message = ReadMessage(in);
        CASN1_SignedData& signedData = ContentOf<CASN1_SignedData>(*message, CASN1_signedData(), in);
        CASN1_ContentInfo& inner = signedData.GetContentInfo();
        std::vector<unsigned char> content;
        if (!contentPath.empty()) {
            if (inner.IsContent())
                throw UsageError(in + " carries its content; --content is for detached signatures");
            content = InputFile(contentPath).readAll();
        } else if (!inner.IsContent()) {
            throw Failure(in + ": a detached signature; give the signed content with --content FILE");
        } else {
            try {
                content = signedOctets(inner);
            } catch (CDERDecodingException* e) {
                e->Delete();
                throw Failure(in + ": the signed content is not an OCTET STRING inside [0]");
            }
        }

        std::vector<HostCertificate> certificates;
        if (!certificatePath.empty())
            certificates = ReadCertificates(certificatePath);
        if (signedData.IsCertificates()) {
            std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> carried(signedData.GetCertificates(FALSE));
            for (int i = 0; i < carried->getComponentCount(); ++i) {
                HostCertificate certificate;
                certificate.asn1 = std::make_shared<CASN1_Certificate>(carried->getComponent(i));
                certificate.path = in;
                try {
                    certificate.asn1->SetDataTo(certificate.record);
                } catch (CDERDecodingException* e) {
                    e->Delete();
                    continue;  // a certificate this library cannot read signs nothing here
                }
                certificates.push_back(certificate);
            }
        }

        CASN1_SignerInfos& signers = signedData.GetSignerInfos();
        if (signers.getComponentCount() == 0)
            throw Failure(in + ": the message has no signers");
        bool allOK = true;
        for (int i = 0; i < signers.getComponentCount(); ++i) {
            const SignerCheck check =
                checkSigner(signers.getComponent(i), inner.get_contentType(), content, certificates, in);
            std::printf("signer %d: %s\n", i + 1, check.line.c_str());
            allOK = allOK && check.ok;
        }
        if (allOK && !outPath.empty()) {
            OutputFile out(outPath);
            out.write(content.data(), content.size());
            out.commit();
        }
        return allOK ? 0 : 1;
    });
}

const Command signCommand("sign", "--key KEY --cert CERT [--attributes] [--detached] [--pem] IN OUT",
                          "signs a file into a PKCS #7 signedData", kSignHelp, sign);
const Command verifyCommand("verify", "[--cert CERT] [--content FILE] [-o OUT] IN",
                            "checks the signatures of a PKCS #7 signedData", kVerifyHelp, verify);
}  // namespace
