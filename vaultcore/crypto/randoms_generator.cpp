#include "vaultcore/crypto/randoms_generator.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "vaultcore/crypto/md5_digest_maker.h"
#include "vaultcore/crypto/secure_zero.h"

void vcSystemRandomBytes(unsigned char* out, unsigned long n)
{
    unsigned long got = 0;
    while (got < n) {
        ssize_t r = getrandom(out + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            // No usable source: never fall back to guessable bytes.
            AfxThrowResourceException();
        }
        got += (unsigned long)r;
    }
}

namespace {
// Bytes from the kernel's cryptographic generator, drawn in batches.
class SystemEntropy {
public:
    unsigned char byte()
    {
        if (m_next == sizeof m_pool)
            refill();
        return m_pool[m_next++];
    }
    unsigned char nonZeroByte()
    {
        unsigned char b;
        while ((b = byte()) == 0) {
        }
        return b;
    }
    uint32_t word()
    {
        uint32_t w = 0;
        for (int i = 0; i < 4; ++i)
            w = w << 8 | byte();
        return w;
    }
    ~SystemEntropy() { vcSecureZero(m_pool, sizeof m_pool); }

private:
    void refill()
    {
        vcSystemRandomBytes(m_pool, sizeof m_pool);
        m_next = 0;
    }

    unsigned char m_pool[64];
    size_t m_next = sizeof m_pool;
};
}  // namespace

CRandomsGenerator::CRandomsGenerator()
{
    std::memset(m_state, 0, sizeof m_state);
    RegenerateRandoms(nullptr, 0);
}

CRandomsGenerator::CRandomsGenerator(const unsigned char* seed, unsigned long length)
{
    std::memset(m_state, 0, sizeof m_state);
    RegenerateRandoms(seed, length);
}

CRandomsGenerator::~CRandomsGenerator()
{
    vcSecureZero(m_state, sizeof m_state);
}

void CRandomsGenerator::RegenerateRandoms(const unsigned char* seed, unsigned long length)
{
    SystemEntropy entropy;
    unsigned char r[20];
    for (int i = 0; i < 20; ++i) {
        if (seed) {
            unsigned long m = length ? length : 20;
            // A seed byte at an unpredictable place plus an unpredictable
            // offset: uniform whatever the seed holds.
            do {
                r[i] = (unsigned char)(seed[(entropy.word() + (unsigned long)i) % m] + entropy.byte());
            } while (r[i] == 0);
        } else {
            r[i] = entropy.nonZeroByte();
        }
    }
    CMD5DigestMaker md5;
    md5.UpdateBlock(r, 20, nullptr, 0, 1);
    md5.UpdateBlock(m_state, 16, nullptr, 1, 1);
    md5.GetCurrentDigest(m_state);
    vcSecureZero(r, sizeof r);
}

void CRandomsGenerator::GetRandomBlock(unsigned char* out, unsigned long n)
{
    RegenerateRandoms(nullptr, 0);
    CMD5DigestMaker md5;
    unsigned long done = 0;
    while (done < n) {
        // The maker is not reset: each round continues from the last one.
        md5.UpdateBlock(m_state, 16, nullptr, 1, 1);
        md5.GetCurrentDigest(m_state);
        unsigned long take = n - done < 16 ? n - done : 16;
        std::memcpy(out + done, m_state, take);
        done += take;
    }
    SystemEntropy entropy;
    for (unsigned long i = 0; i < n; ++i)
        if (out[i] == 0)
            out[i] = entropy.nonZeroByte();
}
