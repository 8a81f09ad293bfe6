#pragma once
// Progress of the prime search behind key-pair generation. The bar has the
// range 0..100; after every rejected candidate the position moves on once
// `interval` candidates have been rejected since it last moved, and the
// interval doubles every 51 rejected candidates, so the bar moves quickly at
// first and ever more slowly. Each key generation has its own, shared by
// its two prime searches and used by its thread only.
#include "vaultcore/vaultcore_export.h"

class CProgress;

class VAULTCORE_API CPrimeSearchProgress {
public:
    static constexpr int kRangeMax = 100;
    // The interval stops doubling here: a very long search must not overflow it.
    static constexpr int kMaxInterval = 1 << 30;

    // A prime search starts: on a fresh bar, sets its range and resets the counters.
    void begin(CProgress* progress);
    // A candidate was rejected.
    void rejected(CProgress* progress);

    unsigned short position() const { return m_position; }
    int interval() const { return m_interval; }

private:
    unsigned short m_position = 0;
    int m_sinceDoubling = 0;
    int m_sinceUpdate = 0;
    int m_interval = 1;
};
