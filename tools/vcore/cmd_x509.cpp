// vcore x509: prints certificates (DER or PEM), verifies one against its
// issuer, and issues certificates signed with SHA-1 with RSA.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {

const char* const kHelp =
    "Without --verify or --sign: prints each certificate of FILE (DER, or PEM\n"
    "with one or more CERTIFICATE blocks; - reads standard input).\n"
    "\n"
    "--verify ISSUER FILE checks that FILE's signature is right for the key of\n"
    "the certificate ISSUER and that FILE's validity period holds now; it prints\n"
    "one line for each and exits 0 only when both hold (1 otherwise).\n"
    "\n"
    "--sign CAKEY --issuer CACERT --key KEY --subject NAME issues a certificate:\n"
    "issuer name from CACERT, signed with the PKCS #1 private key CAKEY using\n"
    "sha1WithRSAEncryption; public key from KEY (PKCS #1 RSAPrivateKey or\n"
    "RSAPublicKey, DER or PEM); NAME in openssl's form\n"
    "\"/C=DE/O=Example/OU=Mail+CN=Ann/emailAddress=ann@example.com\" with the\n"
    "types C ST L O OU CN SN title street postalCode postalAddress\n"
    "postOfficeBox physicalDeliveryOfficeName telephoneNumber emailAddress\n"
    "('+' joins values into one relative name, '\\' escapes a character).\n"
    "Valid from now (GMT) for --days days, at most to the end of 2049. No\n"
    "extensions are written. Keys of up to 2048 bits.";

// --- keys ---

// RSAPrivateKey ::= SEQUENCE { version, n, e, d, p, q, dP, dQ, qInv }  (RFC 8017 A.1.2)
// RSAPublicKey  ::= SEQUENCE { n, e }                                  (RFC 8017 A.1.1)
// The key's numbers; a public key gives only n and e.
std::vector<const CASN1_INTEGER*> keyNumbers(const CASN1Type& key)
{
    std::vector<const CASN1_INTEGER*> numbers;
    const auto* sequence = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(&key);
    for (int i = 0; sequence && key.getIdentifier() == 0x10 && i < sequence->getComponentCount(); ++i) {
        const auto* number = dynamic_cast<const CASN1_INTEGER*>(sequence->getComponentAt(i));
        if (!number || number->getIdentifier() != 2)
            return {};
        numbers.push_back(number);
    }
    if (numbers.size() == 9)
        numbers.erase(numbers.begin());  // the version
    return numbers.size() == 8 || numbers.size() == 2 ? numbers : std::vector<const CASN1_INTEGER*>();
}

// Reads a PKCS #1 key file; private says whether a private key is needed.
CRSAPrivateKey readKey(const std::string& path, bool needPrivate)
{
    const std::vector<std::vector<unsigned char>> values = DerValues(InputFile(path).readAll(), path);
    std::vector<unsigned char> der = values.front();
    std::unique_ptr<CASN1Type> decoded;
    try {
        CScopedEncoding encoding(der.data(), (unsigned long)der.size());
        decoded.reset(___buildFromEncoding(*encoding));
    } catch (CDERDecodingException* e) {
        e->Delete();
        throw Failure(path + ": not a PKCS #1 RSA key (" + ___lastDERDecodingMessage() + ")");
    }
    const std::vector<const CASN1_INTEGER*> n = keyNumbers(*decoded);
    if (n.empty() || (needPrivate && n.size() != 8))
        throw Failure(path + (needPrivate ? ": not a PKCS #1 RSA private key" : ": not a PKCS #1 RSA key"));
    CRSAPrivateKey key;
    unsigned char modulus[CRSAPublicKey::kFieldSize];
    const bool fits = ___placeRightAligned(modulus, sizeof modulus, n[0]->contentsData(), n[0]->contentsLength());
    const unsigned short bits = fits ? ___countBits(modulus, (int)sizeof modulus) : 0;
    if (!fits || !key.SetPublicKey(bits, n[0]->contentsData(), n[0]->contentsLength(), n[1]->contentsData(),
                                   n[1]->contentsLength()))
        throw Failure(path + ": keys of more than 2048 bits are not supported");
    if (n.size() == 8 &&
        !key.SetPrivateKey(n[2]->contentsData(), n[2]->contentsLength(), n[3]->contentsData(), n[3]->contentsLength(),
                           n[4]->contentsData(), n[4]->contentsLength(), n[5]->contentsData(),
                           n[5]->contentsLength(), n[6]->contentsData(), n[6]->contentsLength(),
                           n[7]->contentsData(), n[7]->contentsLength()))
        throw Failure(path + ": keys of more than 2048 bits are not supported");
    return key;
}

// --- certificates ---

std::vector<CCertificate> readCertificates(const std::string& path)
{
    std::vector<CCertificate> certificates;
    for (const std::vector<unsigned char>& der : DerValues(InputFile(path).readAll(), path, "CERTIFICATE")) {
        try {
            CScopedEncoding encoding(der.data(), (unsigned long)der.size());
            CASN1_Certificate asn1(*encoding);
            certificates.emplace_back();
            asn1.SetDataTo(certificates.back());
        } catch (CDERDecodingException* e) {
            e->Delete();
            throw Failure(path + ": not a certificate this library reads (" + ___lastDERDecodingMessage() +
                          "); it reads RSA keys of up to 2048 bits, MD2, MD5 or SHA-1 signatures and names in "
                          "PrintableString, T61String, IA5String or OCTET STRING");
        }
    }
    return certificates;
}

CCertificate readCertificate(const std::string& path)
{
    std::vector<CCertificate> certificates = readCertificates(path);
    if (certificates.size() != 1)
        throw Failure(path + ": holds " + std::to_string(certificates.size()) + " certificates, one was expected");
    return certificates.front();
}

// The dump's lines end in CR LF; a shell wants LF.
void print(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.GetLength() && text[i + 1] == '\n'))
            std::putchar(text[i]);
}

int printCertificates(const std::string& path)
{
    const std::vector<CCertificate> certificates = readCertificates(path);
    for (size_t i = 0; i < certificates.size(); ++i) {
        if (i > 0)
            std::putchar('\n');
        print(CString(certificates[i]));
        std::putchar('\n');
    }
    return 0;
}

int verify(const std::string& issuerPath, const std::string& path)
{
    const CCertificate issuer = readCertificate(issuerPath), certificate = readCertificate(path);
    bool signatureOK = false;
    std::string why;
    try {
        signatureOK = certificate.IsSignatureOKFor(issuer) != 0;
    } catch (CUnlockException* e) {
        e->Delete();
        why = " (the signature does not decrypt with this key)";
    }
    const CUTCTime now;
    const bool early = now < certificate.m_notBefore, late = now > certificate.m_notAfter;
    std::printf("signature: %s%s\n", signatureOK ? "OK" : "WRONG", why.c_str());
    std::printf("validity: %s (%s to %s)\n", early ? "NOT YET VALID" : late ? "EXPIRED" : "OK",
                (const char*)certificate.m_notBefore.GetTimeAsString(TRUE, FALSE),
                (const char*)certificate.m_notAfter.GetTimeAsString(TRUE, FALSE));
    return signatureOK && !early && !late ? 0 : 1;
}

// --- issuing ---

// The subject name's types by the short names openssl uses.
const struct {
    const char* shortName;
    DNAttrNameEnum type;
} kNameTypes[] = {
    {"C", dnCountryName},
    {"ST", dnStateOrProvinceName},
    {"L", dnLocalityName},
    {"O", dnOrganizationName},
    {"OU", dnOrganizationalUnitName},
    {"CN", dnCommonName},
    {"SN", dnSurname},
    {"title", dnTitle},
    {"street", dnStreetAddress},
    {"postalCode", dnPostalCode},
    {"postalAddress", dnPostalAddress},
    {"postOfficeBox", dnPostOfficeBox},
    {"physicalDeliveryOfficeName", dnPhysicalDeliveryOfficeName},
    {"telephoneNumber", dnPhoneNumber},
    {"emailAddress", dnEMailAddress},
};

// PrintableString's characters (X.680 41.4); other text goes in a
// T61String, as openssl does with string_mask = default.
bool isPrintable(const std::string& text)
{
    for (unsigned char c : text)
        if (!std::isalnum(c) && !std::strchr(" '()+,-./:=?", c))
            return false;
    return true;
}

CAttributeValue* attributeOf(const std::string& pair)
{
    const size_t equals = pair.find('=');
    const std::string type = pair.substr(0, equals);
    for (const auto& row : kNameTypes) {
        if (equals == std::string::npos || type != row.shortName)
            continue;
        const std::string value = pair.substr(equals + 1);
        if (value.empty())
            throw UsageError("--subject: " + type + " has no value");
        CAttributeValue* attribute = new CAttributeValue(row.type, value.c_str());
        if (row.type != dnEMailAddress && !isPrintable(value))
            attribute->m_stringKind = CAttributeValue::kT61String;
        return attribute;
    }
    throw UsageError("--subject: unknown attribute \"" + pair + "\"");
}

// "/C=DE/O=Org/OU=Mail+CN=Ann": '/' starts a relative name, '+' another
// value of the same one, '\' escapes the next character.
CDistinguishedName parseName(const std::string& text)
{
    if (text.empty() || text[0] != '/')
        throw UsageError("--subject must start with '/' (\"/C=DE/CN=Ann\")");
    CDistinguishedName name;
    std::string pair;
    CRelativeDN* rdn = nullptr;
    for (size_t i = 1; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '/';
        if (c == '\\' && i + 1 < text.size()) {
            pair += text[++i];
            continue;
        }
        if (c != '/' && c != '+') {
            pair += c;
            continue;
        }
        if (!rdn) {
            rdn = new CRelativeDN;
            name.Add(rdn);
        }
        rdn->Add(attributeOf(pair));
        pair.clear();
        if (c == '/')
            rdn = nullptr;
    }
    return name;
}

// A GMT time "seconds" from now, in the 13-character form.
CUTCTime gmtTime(long long seconds, const char* what)
{
    const std::time_t when = (std::time_t)seconds;
    std::tm utc{};
    gmtime_r(&when, &utc);
    if (utc.tm_year + 1900 < 1950 || utc.tm_year + 1900 > 2049)
        throw UsageError(std::string(what) + " falls outside 1950-2049, which a UTCTime cannot name");
    char text[16];
    std::strftime(text, sizeof text, "%y%m%d%H%M%SZ", &utc);
    return CUTCTime(CString(text));
}

CSerialNumber serialOf(const std::vector<unsigned char>& given)
{
    std::vector<unsigned char> octets = given;
    if (octets.empty()) {  // 8 random octets, positive
        octets.resize(8);
        CRandomsGenerator().GetRandomBlock(octets.data(), (unsigned long)octets.size());
        octets[0] = (unsigned char)((octets[0] & 0x7F) | 0x01);
    }
    return CSerialNumber(octets.data(), (int)octets.size());
}

struct IssueOptions {
    std::string caKey, caCertificate, key, subject, out = "-";
    std::vector<unsigned char> serial;
    long days = 365, version = 1;
    bool der = false;
};

int issue(const IssueOptions& options)
{
    if (options.caCertificate.empty() || options.key.empty() || options.subject.empty())
        throw UsageError("--sign needs --issuer, --key and --subject");
    CCertificate certificate;
    certificate.m_version = (BYTE)(options.version - 1);
    certificate.m_serialNumber = serialOf(options.serial);
    certificate.m_owner = parseName(options.subject);
    const long long now = (long long)std::time(nullptr);
    certificate.m_notBefore = gmtTime(now, "the start of the validity");
    certificate.m_notAfter = gmtTime(now + options.days * 86400LL, "the end of the validity (--days)");
    const CCertificate ca = readCertificate(options.caCertificate);
    certificate.m_issuer = ca.m_owner;
    certificate.GetDataFrom(readKey(options.key, false));
    const CRSAPrivateKey caKey = readKey(options.caKey, true);
    CRSAPublicKey caPublic;
    ca.SetDataTo(caPublic);
    if (!(caPublic == static_cast<const CRSAPublicKey&>(caKey)))
        throw Failure(options.caKey + ": not the key of " + options.caCertificate);
    certificate.SignWith(caKey);

    CByteArray der;
    CASN1_Certificate(certificate).encodeTo(der);
    const std::vector<unsigned char> bytes(der.GetData(), der.GetData() + der.GetSize());
    OutputFile out(options.out);
    if (options.der)
        out.write(bytes.data(), bytes.size());
    else
        out.write(WritePem("CERTIFICATE", bytes));
    out.commit();
    return 0;
}

int x509(const Args& args)
{
    std::string issuerToVerify;
    IssueOptions issuing;
    OptionSet options;
    options.text("--verify", &issuerToVerify, "ISSUER", "verify FILE against the certificate ISSUER");
    options.text("--sign", &issuing.caKey, "CAKEY", "issue a certificate signed with this PKCS #1 key");
    options.text("--issuer", &issuing.caCertificate, "CACERT", "with --sign: the certificate of CAKEY");
    options.text("--key", &issuing.key, "KEY", "with --sign: the PKCS #1 key whose public half is certified");
    options.text("--subject", &issuing.subject, "NAME", "with --sign: the owner, \"/C=DE/O=Org/CN=Name\"");
    options.hex("--serial", &issuing.serial, "with --sign: serial number in hex (default: 8 random octets)");
    options.number("--days", &issuing.days, 1, 36500, "N", "with --sign: days of validity (default 365)");
    options.number("--version", &issuing.version, 1, 3, "1|2|3", "with --sign: X.509 version (default 1)");
    options.flag("--der", &issuing.der, "with --sign: write DER instead of PEM");
    options.text("-o,--out", &issuing.out, "FILE", "with --sign: where the certificate goes (default -)");
    const Args files = options.parse(args, 0, 1);
    if (options.given("--sign")) {
        if (options.given("--verify") || !files.empty())
            throw UsageError("--sign takes no FILE and no --verify");
        return issue(issuing);
    }
    if (files.empty())
        throw UsageError("a FILE is needed");
    for (const char* option : {"--issuer", "--key", "--subject", "--serial", "--days", "--version", "--der", "--out"})
        options.refuse(option, "it applies to --sign only");
    if (options.given("--verify"))
        return verify(issuerToVerify, files[0]);
    return printCertificates(files[0]);
}

const Command x509Command("x509", "[--verify ISSUER] FILE | --sign CAKEY --issuer CACERT --key KEY --subject NAME [options]",
                          "prints, verifies and issues X.509 certificates", kHelp, x509);

}  // namespace
