#include "vaultcore/crypto/digest_filter.h"

#include <climits>

void CDigestFilterNS::process(int final, const unsigned char* data, unsigned long length)
{
    const unsigned char* p = blockData(data);
    unsigned long n = blockLength(data, length);
    // The maker takes int counts: hand over very large blocks in pieces.
    while (n > (unsigned long)INT_MAX) {
        m_digest.UpdateBlock(p, INT_MAX, m_progress, 0, 1);
        p += INT_MAX;
        n -= (unsigned long)INT_MAX;
    }
    m_digest.UpdateBlock(p, (int)n, m_progress, final, 1);
}
