// Arbitrary ciphertext into DecryptFinal and the decrypting sink. The first
// byte picks the algorithm and mode (low three bits: DES, 3DES, IDEA, RC2,
// bad RC2, RC5 with padding, RC5 without padding, RC5 with 16-byte blocks;
// bit 3: chained), the rest is the ciphertext. Only CUnlockException may
// leave the calls, and nothing may be written past the room they ask for.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {

const unsigned char kKey[24] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98,
                                0x76, 0x54, 0x32, 0x10, 0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67};
const unsigned char kIV[16] = {0};

std::unique_ptr<CCryptoProcessor> make(unsigned selector)
{
    const int mode = (selector & 8) ? 0 : 1;
    switch (selector & 7) {
    case 0: {
        CDESkey k;
        k.Set(kKey, 8);
        return std::make_unique<CDESAlgorithm>(k, mode, kIV);
    }
    case 1: {
        CTripleDESkey k;
        k.Set(kKey, 24);
        return std::make_unique<CTripleDESAlgorithm>(k, mode, kIV);
    }
    case 2: {
        CIDEAkey k;
        k.Set(kKey, 16);
        return std::make_unique<CIDEAAlgorithm>(k, mode, kIV);
    }
    case 3: {
        CRC2key k(40);
        k.Set(kKey, 5);
        return std::make_unique<CRC2Algorithm>(k, mode, kIV);
    }
    case 4: {
        CRC2key k(128);
        k.Set(kKey, 16);
        return std::make_unique<CBadRC2Algorithm>(k, mode, kIV);
    }
    case 5: {
        CRC5key k;
        k.Set(kKey, 16);
        return std::make_unique<CRC5PadAlgorithm>(k, 12, 8, mode, kIV);
    }
    case 6: {
        CRC5key k;
        k.Set(kKey, 16);
        return std::make_unique<CRC5Algorithm>(k, 12, 8, mode, kIV);
    }
    default: {
        CRC5key k;
        k.Set(kKey, 16);
        return std::make_unique<CRC5PadAlgorithm>(k, 16, 16, mode, kIV);
    }
    }
}

class NullFilter : public CBufferedFilterNS {
public:
    void process(int, const unsigned char*, unsigned long) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned selector = data[0];
    const unsigned char* in = data + 1;
    const unsigned long n = (unsigned long)(size - 1);

    auto processor = make(selector);
    // Exactly the room the processor asks for, so ASan sees any overrun.
    std::vector<unsigned char> out(processor->DecrFinalOutMaxSize(n));
    try {
        processor->DecryptFinal(in, n, out.data(), nullptr);
    } catch (CUnlockException* e) {
        e->Delete();
    }

    auto again = make(selector);
    NullFilter sink;
    CDecryptFilterNS stage(*again, sink, nullptr, 64);
    try {
        stage.write(in, n);
        stage.finish();
    } catch (CUnlockException* e) {
        e->Delete();
    }
    return 0;
}
