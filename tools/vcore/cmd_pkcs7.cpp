// vcore pkcs7 FILE: the structure of a PKCS #7 message of any of the six
// content types, and the certificates and revocation lists it carries.
#include <cstdio>
#include <memory>
#include <string>

#include "common/tool.h"
#include "vcore/pkcs7_host.h"

namespace {

const char kHelp[] =
    "Lists a PKCS #7 message (DER, or PEM such as openssl's PKCS7 blocks; \"-\"\n"
    "reads standard input): its content type and, by type, the versions,\n"
    "digest and encryption algorithms, the signers and recipients by issuer\n"
    "and serial number, and the carried certificates (by subject) and\n"
    "revocation lists (by issuer). Nothing is decrypted or verified.\n"
    "\n"
    "--certs writes the carried certificates as PEM instead, --crls the\n"
    "revocation lists (X509 CRL), to standard output or --out.";

void line(int depth, const std::string& text)
{
    std::printf("%*s%s\n", depth * 2, "", text.c_str());
}

std::string bytes(unsigned long n)
{
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

std::string versionText(const CASN1_INTEGER& version)
{
    unsigned long value = 0;
    return version.GetInteger(value) ? std::to_string(value) : "(unreadable)";
}

void listAlgorithms(int depth, const char* label, const CASN1_DigestAlgorithmIdentifiers& algorithms)
{
    std::string names;
    for (int i = 0; i < algorithms.getComponentCount(); ++i)
        names += (i ? ", " : "") + AlgorithmText(algorithms.getComponent(i).get_algorithm());
    line(depth, std::string(label) + ": " + (names.empty() ? "none" : names));
}

void listAttributes(int depth, const char* label, CASN1_Attributes* attributes)
{
    std::unique_ptr<CASN1_Attributes> owned(attributes);
    std::string names;
    for (int i = 0; i < owned->getComponentCount(); ++i)
        names += (i ? ", " : "") + AlgorithmText(owned->getComponent(i).GetID());
    line(depth, std::string(label) + ": " + names);
}

std::string issuerAndSerial(const CASN1_IssuerAndSerialNumber& id)
{
    return "issuer " + NameText(id.get_issuer()) + ", serial " + SerialText(id.get_serialNumber());
}

// The inner content of signed and digested data: its type and size.
void listContentInfo(int depth, CASN1_ContentInfo& content)
{
    std::string text = "contentInfo: " + ContentTypeName(content.get_contentType());
    if (!content.IsContent())
        text += ", no content (detached)";
    else if (content.get_contentType() == CASN1_data())
        text += ", " + bytes(ClearOctets(content.GetContent()).size());
    else
        text += ", " + bytes(content.GetContent().getEncodedLength(0)) + " of DER";
    line(depth, text);
}

void listEncryptedContentInfo(int depth, CASN1_EncryptedContentInfo& content)
{
    line(depth, "encryptedContentInfo:");
    line(depth + 1, "contentType: " + ContentTypeName(content.get_contentType()));
    line(depth + 1, "contentEncryptionAlgorithm: " + AlgorithmText(content.get_contentEncryptionAlgorithm().get_algorithm()));
    if (content.IsEncryptedContent()) {
        std::unique_ptr<CASN1_OCTET_STRING> encrypted(content.GetEncryptedContent(FALSE));
        line(depth + 1, "encryptedContent: " + bytes(encrypted->getClearContentsLength()));
    } else {
        line(depth + 1, "encryptedContent: none (detached)");
    }
}

void listRecipients(int depth, CASN1_RecipientInfos& recipients)
{
    line(depth, "recipientInfos: " + std::to_string(recipients.getComponentCount()));
    for (int i = 0; i < recipients.getComponentCount(); ++i) {
        CASN1_RecipientInfo& recipient = recipients.getComponent(i);
        line(depth + 1, "recipient: " + issuerAndSerial(recipient.get_issuerAndSerialNumber()));
        line(depth + 2, "version: " + versionText(recipient.get_version()));
        line(depth + 2, "keyEncryptionAlgorithm: " + AlgorithmText(recipient.get_keyEncryptionAlgorithm().get_algorithm()));
        line(depth + 2, "encryptedKey: " + bytes(recipient.get_encryptedKey().getClearContentsLength()));
    }
}

void listSigners(int depth, CASN1_SignerInfos& signers)
{
    line(depth, "signerInfos: " + std::to_string(signers.getComponentCount()));
    for (int i = 0; i < signers.getComponentCount(); ++i) {
        CASN1_SignerInfo& signer = signers.getComponent(i);
        line(depth + 1, "signer: " + issuerAndSerial(signer.get_issuerAndSerialNumber()));
        line(depth + 2, "version: " + versionText(signer.get_version()));
        line(depth + 2, "digestAlgorithm: " + AlgorithmText(signer.get_digestAlgorithm().get_algorithm()));
        if (signer.IsAuthenticatedAttributes())
            listAttributes(depth + 2, "authenticatedAttributes", signer.GetAuthenticatedAttributes(FALSE));
        line(depth + 2, "digestEncryptionAlgorithm: " + AlgorithmText(signer.GetDigestEncyptionAlgorithm().get_algorithm()));
        line(depth + 2, "encryptedDigest: " + bytes(signer.GetEncryptedDigest().getClearContentsLength()));
        if (signer.IsUnauthenticatedAttributes())
            listAttributes(depth + 2, "unauthenticatedAttributes", signer.GetUnauthenticatedAttributes(FALSE));
    }
}

// Certificates and lists of signed and signed-and-enveloped data.
template <class Signed>
void listCarried(int depth, Signed& message)
{
    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> certificates(
        message.IsCertificates() ? message.GetCertificates(FALSE) : new CASN1_ExtendedCertificatesAndCertificates);
    line(depth, "certificates: " + std::to_string(certificates->getComponentCount()));
    for (int i = 0; i < certificates->getComponentCount(); ++i) {
        const CASN1_Certificate& certificate = certificates->getComponent(i);
        line(depth + 1, "subject: " + NameText(certificate.GetSubject()));
        line(depth + 2, "issuer: " + NameText(certificate.GetIssuer()) + ", serial " +
                            SerialText(certificate.GetSerialNumber()));
    }
    std::unique_ptr<CASN1_CertificateRevocationLists> crls(message.IsCRLs() ? message.GetCRLs(FALSE)
                                                                             : new CASN1_CertificateRevocationLists);
    line(depth, "crls: " + std::to_string(crls->getComponentCount()));
    for (int i = 0; i < crls->getComponentCount(); ++i) {
        CASN1_CertificateRevocationListData& list = crls->getComponent(i).get_tbsCertList();
        const int revoked = list.is_revokedCertificates() ? list.get_revokedCertificates().getComponentCount() : 0;
        line(depth + 1, "issuer: " + NameText(list.get_issuer()) + ", " + std::to_string(revoked) + " revoked");
    }
}

void listSignedData(CASN1_SignedData& message)
{
    line(0, "version: " + versionText(message.get_version()));
    listAlgorithms(0, "digestAlgorithms", message.get_digestAlgorithms());
    listContentInfo(0, message.GetContentInfo());
    listCarried(0, message);
    listSigners(0, message.GetSignerInfos());
}

void listSignedAndEnvelopedData(CASN1_SignedAndEnvelopedData& message)
{
    line(0, "version: " + versionText(message.get_version()));
    listRecipients(0, message.get_recipientInfos());
    listAlgorithms(0, "digestAlgorithms", message.get_digestAlgorithms());
    listEncryptedContentInfo(0, message.get_encryptedContentInfo());
    listCarried(0, message);
    listSigners(0, message.GetSignerInfos());
}

void listEnvelopedData(CASN1_EnvelopedData& message)
{
    line(0, "version: " + versionText(message.get_version()));
    listRecipients(0, message.get_recipientInfos());
    listEncryptedContentInfo(0, message.get_encryptedContentInfo());
}

void listDigestedData(CASN1_DigestedData& message)
{
    line(0, "version: " + versionText(message.get_version()));
    line(0, "digestAlgorithm: " + AlgorithmText(message.get_digestAlgorithm().get_algorithm()));
    listContentInfo(0, message.get_contentInfo());
    std::string hex;
    for (unsigned char c : ClearOctets(message.get_digest())) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", c);
        hex += pair;
    }
    line(0, "digest: " + hex);
}

void listEncryptedData(CASN1_EncryptedData& message)
{
    line(0, "version: " + versionText(message.get_version()));
    listEncryptedContentInfo(0, message.get_encryptedContentInfo());
}

void list(CASN1_ContentInfo& message, const std::string& path)
{
    const CASN1_OBJECT_IDENTIFIER& type = message.get_contentType();
    line(0, "contentType: " + ContentTypeName(type));
    if (!message.IsContent())
        line(0, "content: none");
    else if (type == CASN1_data())
        line(0, "content: " + bytes(ClearOctets(message.GetContent()).size()));
    else if (type == CASN1_signedData())
        listSignedData(ContentOf<CASN1_SignedData>(message, type, path));
    else if (type == CASN1_envelopedData())
        listEnvelopedData(ContentOf<CASN1_EnvelopedData>(message, type, path));
    else if (type == CASN1_signedAndEnvelopedData())
        listSignedAndEnvelopedData(ContentOf<CASN1_SignedAndEnvelopedData>(message, type, path));
    else if (type == CASN1_digestedData())
        listDigestedData(ContentOf<CASN1_DigestedData>(message, type, path));
    else if (type == CASN1_encryptedData())
        listEncryptedData(ContentOf<CASN1_EncryptedData>(message, type, path));
    else
        line(0, "content: " + bytes(message.GetContent().getEncodedLength(0)) + " of DER (not a PKCS #7 type)");
}

// The certificates or lists of a signed message as PEM blocks.
template <class Signed>
std::string carriedPem(Signed& message, bool crls)
{
    std::string pem;
    auto append = [&pem](const char* label, const CASN1Type& value) {
        CByteArray der;
        value.encodeTo(der);
        pem += WritePem(label, std::vector<unsigned char>(der.GetData(), der.GetData() + der.GetSize()));
    };
    if (crls && message.IsCRLs()) {
        std::unique_ptr<CASN1_CertificateRevocationLists> set(message.GetCRLs(FALSE));
        for (int i = 0; i < set->getComponentCount(); ++i)
            append("X509 CRL", set->getComponent(i));
    }
    if (!crls && message.IsCertificates()) {
        std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> set(message.GetCertificates(FALSE));
        for (int i = 0; i < set->getComponentCount(); ++i)
            append("CERTIFICATE", set->getComponent(i));
    }
    return pem;
}

int pkcs7(const Args& args)
{
    bool certificates = false, crls = false;
    std::string outPath = "-";
    OptionSet options;
    options.flag("--certs", &certificates, "write the carried certificates as PEM");
    options.flag("--crls", &crls, "write the carried revocation lists as PEM");
    options.text("-o,--out", &outPath, "FILE", "with --certs or --crls: where the PEM goes (default -)");
    const std::string path = options.parse(args, 1, 1)[0];
    if (certificates && crls)
        throw UsageError("--certs and --crls go one at a time");
    if (!certificates && !crls)
        options.refuse("--out", "it applies to --certs and --crls");

    return WithMessage(path, [&] {
        std::unique_ptr<CASN1_ContentInfo> message = ReadMessage(path);
        if (!certificates && !crls) {
            list(*message, path);
            return 0;
        }
        const CASN1_OBJECT_IDENTIFIER& type = message->get_contentType();
        std::string pem;
        if (type == CASN1_signedData() && message->IsContent())
            pem = carriedPem(ContentOf<CASN1_SignedData>(*message, type, path), crls);
        else if (type == CASN1_signedAndEnvelopedData() && message->IsContent())
            pem = carriedPem(ContentOf<CASN1_SignedAndEnvelopedData>(*message, type, path), crls);
        else
            throw Failure(path + ": a " + ContentTypeName(type) + " message carries no certificates or lists");
        OutputFile out(outPath);
        out.write(pem);
        out.commit();
        return 0;
    });
}

const Command pkcs7Command("pkcs7", "[--certs | --crls] [-o OUT] FILE", "lists a PKCS #7 message or writes its certificates",
                           kHelp, pkcs7);
}  // namespace
