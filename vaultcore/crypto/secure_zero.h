#pragma once
// Wiping secrets: key bytes, expanded key schedules, generator state and
// the intermediate numbers of the RSA private operation are cleared with
// vcSecureZero, which the compiler may not drop as a dead store the way it
// may drop a memset just before an object dies.
#include <cstddef>

#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

// Sets n bytes at p to zero; never optimised away.
VAULTCORE_API void vcSecureZero(void* p, size_t n);
// The bytes of the array, its size unchanged.
VAULTCORE_API void vcSecureZero(CByteArray& bytes);

// Wipes a buffer when the scope ends, also when an exception (a
// cancellation, say) leaves it.
class SecureZeroOnExit {
public:
    SecureZeroOnExit(void* p, size_t n) : m_p(p), m_n(n) {}
    ~SecureZeroOnExit() { vcSecureZero(m_p, m_n); }
    SecureZeroOnExit(const SecureZeroOnExit&) = delete;
    SecureZeroOnExit& operator=(const SecureZeroOnExit&) = delete;

private:
    void* m_p;
    size_t m_n;
};
