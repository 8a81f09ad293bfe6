// EncryptedContentInfo after RFC 2315 section 10.1.
#include "vaultcore/pki/encrypted_content_info.h"

#include <memory>

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_EncryptedContentInfo, CASN1_SEQUENCE, 0x10)

// EncryptedContentInfo ::= SEQUENCE {
//         contentType                 ContentType,
//         contentEncryptionAlgorithm  ContentEncryptionAlgorithmIdentifier,
//         encryptedContent            [0] IMPLICIT EncryptedContent OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_EncryptedContentInfo::m_compInfoList[] = {
    //                 end  name                          resolver  tag   class tagging      validator                            opt rep any
    ASN1_COMPONENT_INFO(0, "contentType",                 nullptr,  0x06, 0,    TM_NONE,     nullptr,                             0,  0,  0),
    ASN1_COMPONENT_INFO(0, "contentEncryptionAlgorithm",  nullptr,  0x10, 0,    TM_NONE,     CASN1_AlgorithmIdentifier::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedContent",            nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,                             1,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const int kContentIndex = 2;
}

CASN1_EncryptedContentInfo::CASN1_EncryptedContentInfo(CASN1_OBJECT_IDENTIFIER* contentType,
                                                       CASN1_AlgorithmIdentifier* algorithm,
                                                       CASN1_TAGGED* encryptedContent)
    : CASN1_EncryptedContentInfo()
{
    AddObject(contentType);
    AddObject(algorithm);
    if (encryptedContent)
        AddObject(encryptedContent);
}

BOOL CASN1_EncryptedContentInfo::IsEncryptedContent() const
{
    return getComponentCount() == 3;
}

void CASN1_EncryptedContentInfo::ReleaseContent()
{
    while (getComponentCount() > kContentIndex)
        delete detachComponentAt(getComponentCount() - 1);
}

CASN1_OCTET_STRING* CASN1_EncryptedContentInfo::GetEncryptedContent(BOOL take)
{
    if (!IsEncryptedContent())
        ___throwMemberNotAvailable("CASN1_EncryptedContentInfo", "encryptedContent");
    std::unique_ptr<CASN1_OCTET_STRING> octets(new CASN1_OCTET_STRING);
    ___pkcs7FromImplicit(m_components, kContentIndex, *octets, take, "CASN1_EncryptedContentInfo", "encryptedContent");
    return octets.release();
}

CASN1_TAGGED* ___newEncryptedContent(const unsigned char* data, unsigned long size)
{
    CASN1_OCTET_STRING octets(data, size);
    octets.OnOffClearAfterGet(TRUE);
    std::unique_ptr<CASN1_TAGGED> tagged(new CASN1_TAGGED(kPKCS7Tag0, FALSE));
    octets.buildImplicitTAGGED(*tagged);
    tagged->OnOffClearAfterGet(FALSE);
    return tagged.release();
}
