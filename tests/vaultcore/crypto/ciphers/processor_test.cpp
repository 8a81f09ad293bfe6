// The processor's final blocks, padding checks, chaining and progress, and
// the stand-alone CBC class.
#include <gtest/gtest.h>

#include <cstring>

#include "cipher_test_util.h"
#include "progress_recorder.h"

namespace {

const unsigned char kIV[8] = {1, 2, 3, 4, 5, 6, 7, 8};

CDESkey fixedDESKey()
{
    CDESkey k;
    const Bytes bytes = hexBytes("133457799bbcdff1");
    k.Set(bytes.data(), 8);
    return k;
}

// Encrypts a chosen last plaintext block in ECB so that DecryptFinal sees it.
Bytes encryptRawBlock(CCryptoProcessor& p, const Bytes& block)
{
    Bytes out(block.size());
    p.EncryptBlock(block.data(), block.size(), out.data(), nullptr);
    return out;
}

}  // namespace

TEST(Processor, FinalBlockSizes)
{
    CDESkey key = fixedDESKey();
    struct {
        unsigned long in, out;
        unsigned char lastByte;
    } cases[] = {{0, 8, 8}, {8, 16, 8}, {13, 16, 3}, {15, 16, 1}, {16, 24, 8}};
    for (const auto& c : cases) {
        CDESAlgorithm enc(key, 1);
        CDESAlgorithm dec(key, 1);
        Bytes plain(c.in, 0x5a), cipher(enc.EncrFinalOutMaxSize(c.in));
        ASSERT_EQ(cipher.size(), c.out);
        EXPECT_EQ(enc.EncryptFinal(plain.data(), c.in, cipher.data(), nullptr), c.out);
        // The padding as written: decrypt the raw blocks.
        Bytes raw(c.out);
        dec.DecryptBlock(cipher.data(), c.out, raw.data(), nullptr);
        for (unsigned long i = c.in; i < c.out; ++i)
            EXPECT_EQ(raw[i], c.lastByte) << "input " << c.in;
        Bytes back(dec.DecrFinalOutMaxSize(c.out));
        EXPECT_EQ(dec.DecryptFinal(cipher.data(), c.out, back.data(), nullptr), c.in);
        EXPECT_EQ(toHex(back.data(), c.in), toHex(plain.data(), c.in));
    }
}

TEST(Processor, DecryptFinalRefusesBadInput)
{
    CDESkey key = fixedDESKey();
    CDESAlgorithm p(key, 1);
    Bytes out(64);
    // Sizes.
    EXPECT_TRUE(throwsUnlock([&] { p.DecryptFinal(out.data(), 0, out.data(), nullptr); }));
    EXPECT_TRUE(throwsUnlock([&] { p.DecryptFinal(out.data(), 12, out.data(), nullptr); }));
    // Padding: a last byte of 9 or 0, and 03 02 03 at the end.
    const Bytes bad[] = {hexBytes("0000000000000009"), hexBytes("0000000000000000"),
                         hexBytes("0000000000030203"), hexBytes("1111111111111111")};
    for (const Bytes& plain : bad) {
        const Bytes cipher = encryptRawBlock(p, plain);
        EXPECT_TRUE(throwsUnlock([&] { p.DecryptFinal(cipher.data(), 8, out.data(), nullptr); }))
            << toHex(plain);
    }
    // A good one for contrast: 03 03 03.
    const Bytes good = encryptRawBlock(p, hexBytes("4142434445030303"));
    EXPECT_EQ(p.DecryptFinal(good.data(), 8, out.data(), nullptr), 5u);
    EXPECT_EQ(0, std::memcmp(out.data(), "ABCDE", 5));
}

TEST(Processor, DecryptFinalWritesNothingPastThePlaintext)
{
    CDESkey key = fixedDESKey();
    CDESAlgorithm p(key, 0, kIV);
    Bytes plain(20, 0x33), cipher(24);
    ASSERT_EQ(p.EncryptFinal(plain.data(), 20, cipher.data(), nullptr), 24u);
    Bytes out(32, 0xee);
    EXPECT_EQ(p.DecryptFinal(cipher.data(), 24, out.data(), nullptr), 20u);
    for (size_t i = 20; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xee);
}

TEST(Processor, CheckCiphertextSize)
{
    CDESkey key = fixedDESKey();
    CDESAlgorithm p(key, 1);
    EXPECT_TRUE(throwsUnlock([&] { p.CheckCiphertextSize(0); }));
    EXPECT_TRUE(throwsUnlock([&] { p.CheckCiphertextSize(9); }));
    EXPECT_FALSE(throwsUnlock([&] { p.CheckCiphertextSize(16); }));
    EXPECT_FALSE(throwsUnlock([&] { p.CheckPlaintextSize(3); }));
    EXPECT_EQ(p.CountHints(16, 1), 3u);
    EXPECT_EQ(p.CountHints(13, 1), 2u);
    EXPECT_EQ(p.CountHints(16, 0), 2u);
    EXPECT_EQ(p.DecrFinalOutMaxSize(16), 15u);
}

TEST(Processor, ChainingContinuesAcrossCallsUntilReset)
{
    CDESkey key = fixedDESKey();
    CDESAlgorithm p(key, 0, kIV);
    Bytes plain(32);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = (unsigned char)i;
    Bytes whole(32), pieces(32);
    p.EncryptBlock(plain.data(), 32, whole.data(), nullptr);
    p.ResetEncryptionContext();
    p.EncryptBlock(plain.data(), 8, pieces.data(), nullptr);
    p.EncryptBlock(plain.data() + 8, 24, pieces.data() + 8, nullptr);
    EXPECT_EQ(toHex(whole), toHex(pieces));
    // Without a reset the next message starts from the last cipher block.
    Bytes again(8);
    p.EncryptBlock(plain.data(), 8, again.data(), nullptr);
    EXPECT_NE(toHex(again), toHex(Bytes(whole.begin(), whole.begin() + 8)));
    // Encryption and decryption chaining values advance independently.
    Bytes back(32);
    p.DecryptBlock(whole.data(), 16, back.data(), nullptr);
    p.DecryptBlock(whole.data() + 16, 16, back.data() + 16, nullptr);
    EXPECT_EQ(toHex(back), toHex(plain));
}

TEST(Processor, ECBAndChainedDiffer)
{
    CDESkey key = fixedDESKey();
    CDESAlgorithm ecb(key, 1), cbcZero(key, 0);
    Bytes plain(16, 0x42), a(16), b(16);
    ecb.EncryptBlock(plain.data(), 16, a.data(), nullptr);
    cbcZero.EncryptBlock(plain.data(), 16, b.data(), nullptr);
    // Same first block (zero iv), different second block.
    EXPECT_EQ(toHex(a).substr(0, 16), toHex(b).substr(0, 16));
    EXPECT_EQ(toHex(a).substr(0, 16), toHex(a).substr(16));
    EXPECT_NE(toHex(a).substr(16), toHex(b).substr(16));
}

TEST(Processor, OneHintPerBlock)
{
    ProgressRecorder recorder;
    CProgress progress(recorder.window, 0);
    CDESkey key = fixedDESKey();
    CDESAlgorithm p(key, 0, kIV);
    Bytes plain(29, 1), cipher(32), back(32);
    const unsigned long n = p.EncryptFinal(plain.data(), 29, cipher.data(), &progress);
    EXPECT_EQ(recorder.hints(), p.CountHints(29, 1));
    recorder.messages.clear();
    p.DecryptFinal(cipher.data(), n, back.data(), &progress);
    EXPECT_EQ(recorder.hints(), n / 8);
}

TEST(RC5Processor, WithoutPaddingTakesWholeBlocksOnly)
{
    CRC5key key;
    CRC5Algorithm p(key, 12, 8, 0, kIV);
    Bytes buf(16, 7), out(16);
    EXPECT_EQ(p.EncryptFinal(buf.data(), 0, out.data(), nullptr), 0u);
    EXPECT_TRUE(throwsUnlock([&] { p.EncryptFinal(buf.data(), 7, out.data(), nullptr); }));
    EXPECT_TRUE(throwsUnlock([&] { p.DecryptFinal(buf.data(), 0, out.data(), nullptr); }));
    EXPECT_TRUE(throwsUnlock([&] { p.DecryptFinal(buf.data(), 9, out.data(), nullptr); }));
    EXPECT_TRUE(throwsUnlock([&] { p.CheckPlaintextSize(9); }));
    EXPECT_EQ(p.DecrFinalOutMaxSize(16), 16u);
    p.ResetEncryptionContext();
    EXPECT_EQ(p.EncryptFinal(buf.data(), 16, out.data(), nullptr), 16u);
    EXPECT_EQ(p.DecryptFinal(out.data(), 16, out.data(), nullptr), 16u);
    EXPECT_EQ(toHex(out), toHex(buf));
}

TEST(RC5Processor, PaddingVariantPadsEveryBlockSize)
{
    CRC5key key;
    for (unsigned long b : {2ul, 4ul, 8ul, 16ul}) {
        const unsigned char iv[16] = {9, 8, 7};
        CRC5PadAlgorithm p(key, 12, b, 0, iv);
        Bytes plain(21, 0x61), cipher(p.EncrFinalOutMaxSize(21)), back(cipher.size());
        const unsigned long n = p.EncryptFinal(plain.data(), 21, cipher.data(), nullptr);
        EXPECT_EQ(n, 21 - 21 % b + b);
        EXPECT_EQ(p.DecryptFinal(cipher.data(), n, back.data(), nullptr), 21u);
        EXPECT_EQ(0, std::memcmp(back.data(), plain.data(), 21));
    }
}

TEST(RC5Processor, RefusesWhatItCannotSchedule)
{
    CRC5key key;
    EXPECT_TRUE(CRC5PadAlgorithm::IsValidRounds(255));
    EXPECT_FALSE(CRC5PadAlgorithm::IsValidRounds(256));
    EXPECT_FALSE(CRC5PadAlgorithm::IsValidBlockSize(32));
    EXPECT_TRUE(throwsUnlock([&] { CRC5PadAlgorithm p(key, 12, 32, 1); }));
    EXPECT_TRUE(throwsUnlock([&] { CRC5PadAlgorithm p(key, 1u << 30, 8, 1); }));
    // An empty key is one zero word.
    CRC5key empty, zero;
    empty.Set(nullptr, 0);
    const unsigned char z = 0;
    zero.Set(&z, 1);
    CRC5Algorithm a(empty, 12, 8, 1), b(zero, 12, 8, 1);
    Bytes pt(8, 3), x(8), y(8);
    a.EncryptBlock(pt.data(), 8, x.data(), nullptr);
    b.EncryptBlock(pt.data(), 8, y.data(), nullptr);
    EXPECT_EQ(toHex(x), toHex(y));
}

namespace {

// A user class routing the hooks of an ECB-style algorithm to the separate
// CBC class: chained mode then gives CBC through CCBC_ModeProcessor.
class CDESWithCBC : public CDESAlgorithm, public CCBC_ModeProcessor {
public:
    CDESWithCBC(const CDESkey& key, const unsigned char* iv) : CDESAlgorithm(key, 0, iv), CCBC_ModeProcessor(8) {}

protected:
    void EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain) override
    {
        ++calls;
        CCBC_ModeProcessor::EncryptPreProcess(in, work, chain);
    }
    void EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain) override
    {
        CCBC_ModeProcessor::EncryptPostProcess(work, out, chain);
    }
    void DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain) override
    {
        CCBC_ModeProcessor::DecryptPreProcess(in, work, chain);
    }
    void DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain) override
    {
        CCBC_ModeProcessor::DecryptPostProcess(work, out, chain);
    }

public:
    int calls = 0;
};

}  // namespace

TEST(CBCModeProcessor, CombinedClassMatchesBuiltInChaining)
{
    CDESkey key = fixedDESKey();
    CDESWithCBC combined(key, kIV);
    CDESAlgorithm builtIn(key, 0, kIV);
    Bytes plain(40);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = (unsigned char)(i * 7);
    Bytes a(48), b(48);
    EXPECT_EQ(combined.EncryptFinal(plain.data(), 40, a.data(), nullptr), 48u);
    EXPECT_EQ(builtIn.EncryptFinal(plain.data(), 40, b.data(), nullptr), 48u);
    EXPECT_EQ(toHex(a), toHex(b));
    EXPECT_EQ(combined.calls, 6);
    // In place, through the combined class.
    EXPECT_EQ(combined.DecryptFinal(a.data(), 48, a.data(), nullptr), 40u);
    EXPECT_EQ(0, std::memcmp(a.data(), plain.data(), 40));
}
