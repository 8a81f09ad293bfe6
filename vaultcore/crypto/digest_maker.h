#pragma once
// CDigestMaker: the block-buffering frame shared by the MD2, MD5 and SHA-1
// makers. It cuts any byte stream into the algorithm's blocks, hands each
// full block to the compression function, reports progress, and on request
// appends the algorithm's padding. Also here: the digest algorithm codes,
// the DER DigestInfo prefixes an RSA signature wraps a digest in, and the
// hexadecimal helpers.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class CProgress;

// Digest algorithm codes, as the RSA signing operations take them.
enum EDigestAlgorithm {
    eMD2 = 1,
    eMD5 = 2,
    eSHA1 = 3,
};


// DER DigestInfo prefixes (PKCS #1, RFC 8017 section 9.2 note 1, and
// RFC 1319/1321/FIPS 180-1 object identifiers); the digest follows directly.
extern VAULTCORE_API const unsigned char MD2_DIGEST_INFO_PREFIX[18];
extern VAULTCORE_API const unsigned char MD5_DIGEST_INFO_PREFIX[18];
extern VAULTCORE_API const unsigned char SHA1_DIGEST_INFO_PREFIX[15];

// The prefix of an algorithm code and its length; null and 0 for an
// unknown code.
VAULTCORE_API const unsigned char* DigestInfoPrefix(EDigestAlgorithm algorithm, int* prefixLength);
// The digest size of an algorithm code; 0 for an unknown code.
VAULTCORE_API int DigestLength(EDigestAlgorithm algorithm);

class VAULTCORE_API CDigestMaker {
public:
    virtual ~CDigestMaker() = default;

    // Writes the digest of the state as it stands; finish the digest first
    // (finish = 1 on the last update).
    virtual void GetCurrentDigest(unsigned char* out) const = 0;
    // Back to the initial state, nothing buffered.
    virtual void ResetContext() = 0;

    // Feeds n bytes. count: add them to the message length (the padding is
    // fed with count 0). finish: append the padding and complete the digest.
    // progress: one Hint(1) per compressed block and one for finishing.
    void UpdateBlock(const unsigned char* data, int n, CProgress* progress = nullptr, int finish = 0,
                     int count = 1);
    // Feeds n bytes read from the file's position (0: up to its end) in
    // 1024-byte chunks; finish as for UpdateBlock. A file that ends before n
    // bytes throws CFileException (endOfFile). With progress, the pass is
    // framed by SetUp(n / 8, 0, 1, 0) and SetUp(1, 0, 1, 1).
    void UpdateFile(CFile& file, unsigned long n, CProgress* progress = nullptr, int finish = 0);

    int GetBlockSize() const { return m_nBlockSize; }
    int GetBufferedCount() const { return m_nBuffered; }

protected:
    explicit CDigestMaker(int blockSize) : m_nBuffered(0), m_nBlockSize(blockSize) {}
    CDigestMaker(const CDigestMaker&) = default;
    CDigestMaker& operator=(const CDigestMaker&) = default;

    // The derived maker's block buffer: it lives in the derived object, so
    // that the implicit copies of every maker copy it along with the state.
    virtual unsigned char* blockBuffer() = 0;
    // The compression function over one full block.
    virtual void UpdateDigest(const unsigned char* block) = 0;
    // Adds n bytes to the message-length counter.
    virtual void UpdateTotalLength(int n) = 0;
    // Appends padding and length or checksum through UpdateBlock.
    virtual void UpdateLastBytes() = 0;

    int m_nBuffered;
    int m_nBlockSize;
};

// MD5 of n bytes, finished: 16 bytes into out.
VAULTCORE_API void AfxMakeMD5DigestOnData(const unsigned char* p, int n, unsigned char* out);
// The first n (at most 16) bytes of the MD5 digest of the terminated text s,
// as upper-case hexadecimal text.
VAULTCORE_API CString Name2UniqueID(const char* s, int n);
// 2n upper-case hexadecimal digits.
VAULTCORE_API CString OctetsToHexChars(const unsigned char* p, int n);
// The value of one hexadecimal digit, letters in either case; other
// characters give an unspecified value.
VAULTCORE_API unsigned char HexCharToDigit(char c);
// Exactly n bytes into out: the text's digit pairs right-aligned (an odd
// length reads as if "0" stood in front), zero bytes in front of them; only
// the last 2n digits of a longer text are used.
VAULTCORE_API void HexCharsToOctets(CString& s, unsigned char* out, int n);
// Whether p holds n (> 0) hexadecimal digits.
VAULTCORE_API BOOL IsHexCharsString(const unsigned char* p, int n);
VAULTCORE_API BOOL IsHexCharsString(CString& s);
// Bit length of the n-byte (n <= 256) big-endian number p; 0 for zero.
VAULTCORE_API unsigned short ___countBits(const unsigned char* p, int n);
