// DER DigestInfo prefixes: SEQUENCE { SEQUENCE { algorithm OID, NULL },
// OCTET STRING of the digest's size }, as listed in PKCS #1 (RFC 8017,
// section 9.2, note 1). The digest value follows each prefix.
#include "vaultcore/crypto/digest_maker.h"

// md2: 1.2.840.113549.2.2
const unsigned char MD2_DIGEST_INFO_PREFIX[18] = {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                                  0x86, 0xf7, 0x0d, 0x02, 0x02, 0x05, 0x00, 0x04, 0x10};
// md5: 1.2.840.113549.2.5
const unsigned char MD5_DIGEST_INFO_PREFIX[18] = {0x30, 0x20, 0x30, 0x0c, 0x06, 0x08, 0x2a, 0x86, 0x48,
                                                  0x86, 0xf7, 0x0d, 0x02, 0x05, 0x05, 0x00, 0x04, 0x10};
// sha1: 1.3.14.3.2.26
const unsigned char SHA1_DIGEST_INFO_PREFIX[15] = {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e,
                                                   0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x14};

const unsigned char* DigestInfoPrefix(EDigestAlgorithm algorithm, int* prefixLength)
{
    const unsigned char* prefix = nullptr;
    int length = 0;
    switch (algorithm) {
    case eMD2:
        prefix = MD2_DIGEST_INFO_PREFIX;
        length = (int)sizeof MD2_DIGEST_INFO_PREFIX;
        break;
    case eMD5:
        prefix = MD5_DIGEST_INFO_PREFIX;
        length = (int)sizeof MD5_DIGEST_INFO_PREFIX;
        break;
    case eSHA1:
        prefix = SHA1_DIGEST_INFO_PREFIX;
        length = (int)sizeof SHA1_DIGEST_INFO_PREFIX;
        break;
    }
    if (prefixLength)
        *prefixLength = length;
    return prefix;
}

int DigestLength(EDigestAlgorithm algorithm)
{
    switch (algorithm) {
    case eMD2:
    case eMD5:
        return 16;
    case eSHA1:
        return 20;
    }
    return 0;
}
