#pragma once
// CCBC_ModeProcessor: the cipher-block-chaining operations as a class of
// their own, for users who combine an algorithm class with it and route
// the processor's four chaining hooks here. c is the chaining value:
//   encryption: work = in XOR c; after the cipher: c = out = cipher block;
//   decryption: work = in (a copy is kept); after the cipher:
//               out = plain XOR c, c = the kept copy.
// The algorithm classes of this library already chain this way by
// themselves when constructed in chained mode.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CCBC_ModeProcessor {
public:
    explicit CCBC_ModeProcessor(unsigned long blockSize);
    virtual ~CCBC_ModeProcessor();

    virtual void EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain);
    virtual void EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain);
    virtual void DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain);
    virtual void DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain);

    unsigned long GetBlockSize() const { return m_dwBlockSize; }

protected:
    CByteArray m_feedback;
    DWORD m_dwBlockSize;
};
