#pragma once
// CDigestFilterNS: the output stage's digest sink. Octets stream into a
// digest maker; the stage's final call completes the digest, which the
// caller then reads with GetCurrentDigest.
#include "vaultcore/asn1/buffered_filter.h"
#include "vaultcore/crypto/digest_maker.h"

class VAULTCORE_API CDigestFilterNS : public CBufferedFilterNS {
public:
    explicit CDigestFilterNS(CDigestMaker& digest, CProgress* progress = nullptr, unsigned long capacity = 1024)
        : CBufferedFilterNS(capacity), m_digest(digest), m_progress(progress)
    {
    }
    void process(int final, const unsigned char* data, unsigned long length) override;

private:
    CDigestMaker& m_digest;
    CProgress* m_progress;
};
