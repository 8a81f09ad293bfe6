// Feeds arbitrary bytes to the PKCS #7 classes: a ContentInfo decoded with
// validation, every content-type validator run on its content (they must
// answer, never throw), and for a valid content every accessor walked: the
// carried certificates and lists copied and taken and put back, signers
// with their attributes, recipients, encrypted content, digests. A valid
// structure must re-encode to bytes that decode and validate again.
// Failures must be the decoding exception.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {
using Validator = BOOL (*)(const CASN1Type*, int);
const Validator kContentValidators[] = {
    CASN1_SignedData::isValid,   CASN1_EnvelopedData::isValid, CASN1_SignedAndEnvelopedData::isValid,
    CASN1_DigestedData::isValid, CASN1_EncryptedData::isValid,
};

void walkAttributes(CASN1_Attributes* attributes)
{
    std::unique_ptr<CASN1_Attributes> owned(attributes);
    for (int i = 0; i < owned->getComponentCount(); ++i)
        owned->getComponent(i).GetValues().getComponentCount();
    owned->Find(CASN1_messageDigest());
}

template <class Signed>
void walkSigned(Signed& message)
{
    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> certificates;
    if (message.IsCertificates()) {
        std::unique_ptr<CASN1_SET>(message.GetCertificates(FALSE));
        certificates.reset(message.GetCertificates(TRUE));
        for (int i = 0; i < certificates->getComponentCount(); ++i)
            certificates->getComponent(i).GetSubject().getComponentCount();
        certificates->OnOffClearAfterGet(TRUE);
        message.SetCertificates(*certificates);
    }
    if (message.IsCRLs()) {
        std::unique_ptr<CASN1_CertificateRevocationLists> lists(message.GetCRLs(FALSE));
        for (int i = 0; i < lists->getComponentCount(); ++i)
            lists->getComponent(i).get_tbsCertList().get_issuer();
    }
    message.get_digestAlgorithms().Find(CASN1_sha1());
    CASN1_SignerInfos& signers = message.GetSignerInfos();
    for (int i = 0; i < signers.getComponentCount(); ++i) {
        CASN1_SignerInfo& signer = signers.getComponent(i);
        signer.get_issuerAndSerialNumber().get_serialNumber();
        signer.get_digestAlgorithm().get_algorithm();
        signer.GetDigestEncyptionAlgorithm();
        signer.GetEncryptedDigest().getClearContentsLength();
        if (signer.IsAuthenticatedAttributes())
            walkAttributes(signer.GetAuthenticatedAttributes(FALSE));
        if (signer.IsUnauthenticatedAttributes())
            walkAttributes(signer.GetUnauthenticatedAttributes(TRUE));
        if (certificates && certificates->getComponentCount() > 0)
            signer.get_issuerAndSerialNumber().Names(certificates->getComponent(0));
    }
}

void walkEncryptedContent(CASN1_EncryptedContentInfo& content)
{
    content.get_contentType();
    content.get_contentEncryptionAlgorithm().get_algorithm();
    if (content.IsEncryptedContent())
        std::unique_ptr<CASN1_OCTET_STRING>(content.GetEncryptedContent(FALSE))->getClearContentsLength();
}

void walkRecipients(CASN1_RecipientInfos& recipients)
{
    for (int i = 0; i < recipients.getComponentCount(); ++i) {
        CASN1_RecipientInfo& recipient = recipients.getComponent(i);
        recipient.get_issuerAndSerialNumber().get_issuer().getComponentCount();
        recipient.get_keyEncryptionAlgorithm().get_algorithm();
        recipient.get_encryptedKey().getClearContentsLength();
    }
}

void walk(CASN1_ContentInfo& message)
{
    const CASN1_OBJECT_IDENTIFIER& type = message.get_contentType();
    if (type == CASN1_signedData()) {
        CASN1_SignedData& content = message.GetContentAs<CASN1_SignedData>();
        if (content.GetContentInfo().IsContent())
            content.GetContentInfo().GetContent().getClearContentsLength();
        walkSigned(content);
    } else if (type == CASN1_signedAndEnvelopedData()) {
        CASN1_SignedAndEnvelopedData& content = message.GetContentAs<CASN1_SignedAndEnvelopedData>();
        walkRecipients(content.get_recipientInfos());
        walkEncryptedContent(content.get_encryptedContentInfo());
        walkSigned(content);
    } else if (type == CASN1_envelopedData()) {
        CASN1_EnvelopedData& content = message.GetContentAs<CASN1_EnvelopedData>();
        walkRecipients(content.get_recipientInfos());
        walkEncryptedContent(content.get_encryptedContentInfo());
    } else if (type == CASN1_digestedData()) {
        unsigned char digest[20];
        message.GetContentAs<CASN1_DigestedData>().GetDigest(digest, sizeof digest);
    } else if (type == CASN1_encryptedData()) {
        walkEncryptedContent(message.GetContentAs<CASN1_EncryptedData>().get_encryptedContentInfo());
    }
}

// The message decoded and validated; null when refused.
std::unique_ptr<CASN1_ContentInfo> messageOf(const unsigned char* data, unsigned long size)
{
    try {
        CScopedEncoding encoding(data, size);
        return std::make_unique<CASN1_ContentInfo>(*encoding);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return nullptr;
    }
}

// Valid for the validator of its content type (FALSE for other types).
bool contentValid(const CASN1_ContentInfo& message)
{
    if (!message.IsContent())
        return false;
    const CASN1Type* content = nullptr;
    try {
        content = &message.GetContent();
    } catch (CDERDecodingException* e) {
        e->Delete();
        return false;
    }
    bool valid = false;
    for (Validator isValid : kContentValidators)
        valid = isValid(content, 0) || valid;  // every validator answers
    return valid;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 16)
        return 0;
    std::unique_ptr<CASN1_ContentInfo> message = messageOf(data, (unsigned long)size);
    if (!message || !contentValid(*message))
        return 0;
    try {
        walk(*message);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
    CByteArray again;
    message->encodeTo(again);
    std::unique_ptr<CASN1_ContentInfo> reread = messageOf(again.GetData(), (unsigned long)again.GetSize());
    if (!reread || !contentValid(*reread))
        abort();
    return 0;
}
