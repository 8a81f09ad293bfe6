// vcore crl: prints a certificate revocation list (DER or PEM), verifies
// it against its issuer's certificate, and tells whether a certificate is
// on it.
#include <cstdio>
#include <string>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"
#include "vcore/pki_files.h"

namespace {

const int kRevoked = 3;

const char kHelp[] =
    "Without options: prints the revocation list FILE (DER, or PEM with an\n"
    "X509 CRL block; - reads standard input): issuer, last and next update,\n"
    "then the revoked certificates from the last entry to the first.\n"
    "\n"
    "--verify CACERT checks that the list's signature is right for the key of\n"
    "the certificate CACERT, that CACERT's owner issued it, and that now lies\n"
    "between its last and next update; one line for each, exit status 0 only\n"
    "when all hold (1 otherwise).\n"
    "\n"
    "--check CERT tells whether the certificate CERT is on the list (by serial\n"
    "number). Exit status: 0 not revoked, 3 revoked, 1 when the list is not\n"
    "from CERT's issuer or cannot be read. With --verify as well, the list\n"
    "must verify first.\n"
    "\n"
    "Lists of version 1 (no extensions) with MD2, MD5 or SHA-1 signatures are\n"
    "read; openssl ca -gencrl writes them when given no CRL extensions.";

CCertificateRevocationList readList(const std::string& path)
{
    CCertificateRevocationList crl;
    DecodeOrFail(
        ReadDerFile(path, "X509 CRL"), path, "a revocation list this library reads",
        [&](CDEREncoding& encoding) { CASN1_CertificateRevocationList(encoding).SetDataTo(crl); },
        "; it reads version 1 lists (no extensions) signed with MD2, MD5 or SHA-1 and RSA keys of up to 2048 bits");
    return crl;
}

bool verify(const CCertificateRevocationList& crl, const std::string& caPath)
{
    const CCertificate ca = ReadCertificateRecord(caPath);
    bool signatureOK = false;
    std::string why;
    try {
        signatureOK = crl.IsSignatureOKFor(ca) != 0;
    } catch (CUnlockException* e) {
        e->Delete();
        why = " (the signature does not decrypt with this key)";
    }
    const bool issuerOK = ca.m_owner == crl.m_issuer;
    const CUTCTime now;
    const bool early = now < crl.m_lastUpdate, late = now > crl.m_nextUpdate;
    std::printf("signature: %s%s\n", signatureOK ? "OK" : "WRONG", why.c_str());
    std::printf("issuer: %s\n", issuerOK ? "OK" : ("NOT " + NameLine(ca.m_owner)).c_str());
    std::printf("update: %s (%s to %s)\n", early ? "NOT YET VALID" : late ? "OUT OF DATE" : "OK",
                (const char*)crl.m_lastUpdate.GetTimeAsString(TRUE, FALSE),
                (const char*)crl.m_nextUpdate.GetTimeAsString(TRUE, FALSE));
    return signatureOK && issuerOK && !early && !late;
}

int check(const CCertificateRevocationList& crl, const std::string& certificatePath, const std::string& crlPath)
{
    const CCertificate certificate = ReadCertificateRecord(certificatePath);
    if (!(certificate.m_issuer == crl.m_issuer))
        throw Failure(crlPath + ": issued by " + NameLine(crl.m_issuer) + ", not by the issuer of " + certificatePath +
                      " (" + NameLine(certificate.m_issuer) + ")");
    if (!certificate.IsPresentInCRL(crl)) {
        std::printf("not revoked: serial number %s\n", (const char*)CString(certificate.m_serialNumber));
        return 0;
    }
    for (int i = crl.m_entries.GetSize() - 1; i >= 0; --i)
        if (crl.m_entries[i]->m_serialNumber == certificate.m_serialNumber)
            std::printf("revoked: serial number %s on %s\n", (const char*)CString(certificate.m_serialNumber),
                        (const char*)crl.m_entries[i]->m_revocationDate.GetTimeAsString(TRUE, FALSE));
    return kRevoked;
}

int crl(const Args& args)
{
    std::string caPath, certificatePath;
    OptionSet options;
    options.text("--verify", &caPath, "CACERT", "verify FILE against the certificate of its issuer");
    options.text("--check", &certificatePath, "CERT", "is CERT on the list (exit 3: revoked)");
    const Args files = options.parse(args, 1, 1);
    const CCertificateRevocationList list = readList(files[0]);
    if (!options.given("--verify") && !options.given("--check")) {
        PrintDump(CString(list));
        return 0;
    }
    if (options.given("--verify") && !verify(list, caPath))
        return 1;
    return options.given("--check") ? check(list, certificatePath, files[0]) : 0;
}

const Command crlCommand("crl", "[--verify CACERT] [--check CERT] FILE",
                         "prints and verifies revocation lists; is a certificate revoked", kHelp, crl);

}  // namespace
