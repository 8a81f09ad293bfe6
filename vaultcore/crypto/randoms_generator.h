#pragma once
// CRandomsGenerator: the library's source of random bytes. Its 16-byte state
// is an MD5 chain; every request first mixes 20 fresh bytes from the
// operating system's cryptographic source (and the caller's seed, when
// given) into it. Output bytes are never zero.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CRandomsGenerator {
public:
    CRandomsGenerator();
    // seed: caller-supplied bytes (keystrokes, mouse data ...); a non-null
    // seed with length 0 is read as 20 bytes.
    CRandomsGenerator(const unsigned char* seed, unsigned long length);
    CRandomsGenerator(const CRandomsGenerator&) = default;
    CRandomsGenerator& operator=(const CRandomsGenerator&) = default;
    // Wipes the state.
    ~CRandomsGenerator();

    // Mixes fresh entropy, and the seed when given, into the state.
    void RegenerateRandoms(const unsigned char* seed = nullptr, unsigned long length = 0);
    // n random bytes, none of them zero.
    void GetRandomBlock(unsigned char* out, unsigned long n);

private:
    unsigned char m_state[16];
};

// n bytes straight from the operating system's cryptographic generator,
// zero bytes included; throws CResourceException when it has none to give.
VAULTCORE_API void vcSystemRandomBytes(unsigned char* out, unsigned long n);
