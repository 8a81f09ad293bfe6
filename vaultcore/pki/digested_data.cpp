// DigestedData after RFC 2315 section 12.
#include "vaultcore/pki/digested_data.h"

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_DigestedData, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_DigestedData"))

// DigestedData ::= SEQUENCE {
//         version          Version,
//         digestAlgorithm  DigestAlgorithmIdentifier,
//         contentInfo      ContentInfo,
//         digest           Digest }
const ASN1_COMPONENT_INFO CASN1_DigestedData::m_compInfoList[] = {
    //                 end  name               resolver  tag   class tagging  validator                           opt rep any
    ASN1_COMPONENT_INFO(0, "version",          nullptr,  0x02, 0,    TM_NONE, nullptr,                            0,  0,  0),
    ASN1_COMPONENT_INFO(0, "digestAlgorithm",  nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid, 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "contentInfo",      nullptr,  0x10, 0,    TM_NONE, CASN1_ContentInfo::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "digest",           nullptr,  0x04, 0,    TM_NONE, nullptr,                            0,  0,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_DigestedData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, 0, "DigestedData is not valid (cannot get the version number)");
}

CASN1_DigestedData::CASN1_DigestedData(const CASN1_AlgorithmIdentifier& algorithm, CASN1_ContentInfo* content,
                                       const unsigned char* digest, int length)
    : CASN1_DigestedData()
{
    AddObject(new CASN1_INTEGER(0UL));
    AddObject(algorithm.clone());
    AddObject(content);
    AddObject(new CASN1_OCTET_STRING(digest, length > 0 ? (unsigned long)length : 0));
}

BOOL CASN1_DigestedData::GetDigest(unsigned char* out, int length)
{
    const CASN1_OCTET_STRING& digest = get_digest();
    if (length < 0 || (unsigned long)length != digest.getClearContentsLength())
        return FALSE;
    return digest.GetClearData(out, (unsigned long)length, TRUE, FALSE);
}
