#pragma once
// The cipher sinks of the output stage: the octets written into the stage
// run through a CCryptoProcessor and the result is written into another
// stage. finish() ends the message: the encrypting sink pads the last block
// (EncryptFinal), the decrypting sink checks and strips the padding
// (DecryptFinal), so a bad ending throws CUnlockException from finish().
// Like CStageFilterNS, the sinks never finish the next stage; its creator
// does. The processor's chaining values are the caller's: a new message on
// a used processor starts with its reset calls.
#include "vaultcore/asn1/buffered_filter.h"
#include "vaultcore/crypto/crypto_processor.h"

class VAULTCORE_API CCipherFilterNS : public CBufferedFilterNS {
public:
    CCipherFilterNS(CCryptoProcessor& processor, CBufferedFilterNS& next, CProgress* progress = nullptr,
                    unsigned long capacity = 1024);
    ~CCipherFilterNS() override;

    void reset() override;

protected:
    // Appends octets to the pending ones.
    void take(const unsigned char* data, unsigned long n);
    // Hands the first n pending octets to the cipher and drops them.
    void drop(unsigned long n);

    CCryptoProcessor& m_processor;
    CBufferedFilterNS& m_next;
    CProgress* m_progress;
    CByteArray m_pending;   // octets not yet through the cipher
    CByteArray m_output;    // the cipher's output before it goes on
};

class VAULTCORE_API CEncryptFilterNS : public CCipherFilterNS {
public:
    using CCipherFilterNS::CCipherFilterNS;
    void process(int final, const unsigned char* data, unsigned long length) override;
};

class VAULTCORE_API CDecryptFilterNS : public CCipherFilterNS {
public:
    using CCipherFilterNS::CCipherFilterNS;
    void process(int final, const unsigned char* data, unsigned long length) override;
};
