// AlgorithmIdentifier after RFC 5280 section 4.1.1.2; the signature
// algorithms of RFC 3279 section 2.2.1.
#include "vaultcore/pki/algorithm_identifier.h"

#include <cstring>

#include "vaultcore/asn1/object_identifiers.h"
#include "vaultcore/crypto/md2_digest_maker.h"
#include "vaultcore/crypto/md5_digest_maker.h"
#include "vaultcore/crypto/sha1_digest_maker.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_AlgorithmIdentifier, CASN1_SEQUENCE, 0x10)

// AlgorithmIdentifier ::= SEQUENCE {
//         algorithm               OBJECT IDENTIFIER,
//         parameters              ANY DEFINED BY algorithm OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_AlgorithmIdentifier::m_compInfoList[] = {
    //                 end  name          resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "algorithm",   nullptr,  0x06, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "parameters",  nullptr,  0x00, 0,    TM_NONE, nullptr,   1,  0,  1),
    ASN1_END_OF_TABLE,
};

CASN1_AlgorithmIdentifier::CASN1_AlgorithmIdentifier(CASN1_OBJECT_IDENTIFIER* algorithm, CASN1Type* parameters)
    : CASN1_AlgorithmIdentifier()
{
    AddObject(algorithm);
    if (parameters)
        AddObject(parameters);
}

namespace {
template <class OID>
CASN1_OBJECT_IDENTIFIER* makeOID()
{
    return new OID;
}

struct SignatureAlgorithm {
    CASN1_OBJECT_IDENTIFIER* (*makeIdentifier)();
    const char* text;
    EDigestAlgorithm digest;
    int digestLength;
};

// Indexed by code.
const SignatureAlgorithm kSignatureAlgorithms[] = {
    {makeOID<CASN1_md2WithRSAEncryption>, "MD2 With RSA Encryption", eMD2, 16},
    {makeOID<CASN1_md5WithRSAEncryption>, "MD5 With RSA Encryption", eMD5, 16},
    {makeOID<CASN1_sha1WithRSAEncryption>, "SHA1 With RSA Encryption", eSHA1, 20},
};
const int kCodes = (int)(sizeof kSignatureAlgorithms / sizeof kSignatureAlgorithms[0]);

bool isCode(long code)
{
    return code >= 0 && code < kCodes;
}

// The identifiers, made once: every decoded certificate is compared with them.
const CASN1_OBJECT_IDENTIFIER& identifierOf(int code)
{
    static const CASN1_OBJECT_IDENTIFIER md2 = CASN1_md2WithRSAEncryption(), md5 = CASN1_md5WithRSAEncryption(),
                                          sha1 = CASN1_sha1WithRSAEncryption();
    static const CASN1_OBJECT_IDENTIFIER* const identifiers[] = {&md2, &md5, &sha1};
    return *identifiers[code];
}
}  // namespace

int ___signatureAlgorithmCode(const CASN1_OBJECT_IDENTIFIER& algorithm)
{
    for (int code = 0; code < kCodes; ++code)
        if (algorithm == identifierOf(code))
            return code;
    return -1;
}

CASN1_AlgorithmIdentifier* ___newSignatureAlgorithmIdentifier(long code)
{
    if (!isCode(code))
        return nullptr;
    return new CASN1_AlgorithmIdentifier(kSignatureAlgorithms[code].makeIdentifier(), new CASN1_NULL);
}

const char* ___signatureAlgorithmText(long code)
{
    return isCode(code) ? kSignatureAlgorithms[code].text : "<<< BAD!!! >>>";
}

BOOL ___signatureDigest(long code, EDigestAlgorithm& algorithm, int& length)
{
    if (!isCode(code))
        return FALSE;
    algorithm = kSignatureAlgorithms[code].digest;
    length = kSignatureAlgorithms[code].digestLength;
    return TRUE;
}

void ___digestOfEncoding(const CASN1Type& value, EDigestAlgorithm algorithm, unsigned char* digest)
{
    switch (algorithm) {
    case eMD2: {
        CMD2DigestMaker maker;
        value.digestEncoding(maker);
        maker.GetCurrentDigest(digest);
        break;
    }
    case eMD5: {
        CMD5DigestMaker maker;
        value.digestEncoding(maker);
        maker.GetCurrentDigest(digest);
        break;
    }
    case eSHA1: {
        CSHA1DigestMaker maker;
        value.digestEncoding(maker);
        maker.GetCurrentDigest(digest);
        break;
    }
    }
}
