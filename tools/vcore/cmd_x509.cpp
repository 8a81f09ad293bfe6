// vcore x509: prints certificates (DER or PEM), verifies one against its
// issuer, and issues certificates signed with SHA-1 with RSA.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"
#include "vcore/pki_files.h"
#include "vcore/subject_name.h"

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
    "RSAPublicKey, DER or PEM); NAME root first, in openssl's form\n"
    "\"/C=DE/O=Example/OU=Mail+CN=Ann/emailAddress=ann@example.com\" or with\n"
    "commas \"C=DE, O=Example, CN=Ann\", with the types C ST L O OU CN SN title\n"
    "street postalCode postalAddress postOfficeBox physicalDeliveryOfficeName\n"
    "telephoneNumber emailAddress ('+' joins values into one relative name,\n"
    "'\\' escapes a character).\n"
    "Valid from now (GMT) for --days days, at most to the end of 2049. No\n"
    "extensions are written. Keys of up to 2048 bits.";

int printCertificates(const std::string& path)
{
    const std::vector<CCertificate> certificates = ReadCertificateRecords(path);
    for (size_t i = 0; i < certificates.size(); ++i) {
        if (i > 0)
            std::putchar('\n');
        PrintDump(CString(certificates[i]));
        std::putchar('\n');
    }
    return 0;
}

int verify(const std::string& issuerPath, const std::string& path)
{
    const CCertificate issuer = ReadCertificateRecord(issuerPath), certificate = ReadCertificateRecord(path);
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
    certificate.m_owner = ParseSubjectName(options.subject, "--subject");
    const long long now = (long long)std::time(nullptr);
    certificate.m_notBefore = gmtTime(now, "the start of the validity");
    certificate.m_notAfter = gmtTime(now + options.days * 86400LL, "the end of the validity (--days)");
    const CCertificate ca = ReadCertificateRecord(options.caCertificate);
    certificate.m_issuer = ca.m_owner;
    certificate.GetDataFrom(ReadKeyFile(options.key, false));
    const CRSAPrivateKey caKey = ReadKeyFile(options.caKey, true);
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
    options.text("--subject", &issuing.subject, "NAME", "with --sign: the owner, \"/C=DE/O=Org/CN=Name\" or \"C=DE,CN=Name\"");
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
