#include "vaultcore/crypto/prime_search_progress.h"

#include "vaultcore/crypto/progress.h"

void CPrimeSearchProgress::begin(CProgress* progress)
{
    if (!progress || m_position != 0)
        return;
    progress->SetUp(kRangeMax, 0, 1, 0);
    m_interval = 1;
    m_sinceDoubling = 0;
    m_sinceUpdate = 0;
}

void CPrimeSearchProgress::rejected(CProgress* progress)
{
    if (!progress)
        return;
    if (++m_sinceDoubling == kRangeMax / 2 + 1) {
        m_sinceDoubling = 0;
        if (m_interval < kMaxInterval)
            m_interval *= 2;
    }
    if (++m_sinceUpdate >= m_interval) {
        ++m_position;
        progress->SetUp(kRangeMax, 0, 1, m_position);
        m_sinceUpdate = 0;
    }
}
