#pragma once
// CRSAKeyPair: a new RSA key pair. The constructor searches two primes of
// half the modulus length each (top two bits set, so the modulus has its
// top bit set), walking odd candidates up from a random start until one
// passes the probable-prime test, derives every private field and reports
// progress to an optional CProgress: a set-range message (100, 0) when the
// search starts, then ever rarer position steps, a full bar once both
// primes are found and an empty one at the end. Cancellation through
// ThreadKillFlag / ThreadToKill ends it with CKillThreadException.
//
// Threads: each generation keeps its own progress bookkeeping, so several
// may run at once on different threads, each with its own CProgress (or
// none). A key pair, once made, is read-only to TestKeys; several threads
// may test the same pair.
#include "vaultcore/crypto/rsa_private_key.h"

class CProgress;

class VAULTCORE_API CRSAKeyPair : public CRSAPrivateKey {
public:
    // bits: 64 to 2048 (else CUnlockException). Public exponent 65537 when
    // useFermat4 is non-zero, else 3. seed (may be null) is mixed into the
    // random generator of every prime search. A failed search throws
    // CUnlockException.
    CRSAKeyPair(unsigned short bits, int useFermat4, const unsigned char* seed = nullptr,
                unsigned short seedLength = 0, CProgress* progress = nullptr);

    // Round trips x -> x^e -> (x^e)^d and x -> x^d -> (x^d)^e through the
    // public and private operations (the private one as signing runs it)
    // with random x below n (24 bytes, fewer for a shorter modulus);
    // returns the number of failed checks (two per round).
    unsigned short TestKeys(unsigned short rounds, CProgress* progress, int stopAtFirstError) const;
};
