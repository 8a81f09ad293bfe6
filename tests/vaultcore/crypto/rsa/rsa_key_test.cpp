// RSA keys and key pairs without a peer: generation, self-test, progress,
// cancellation, block edge cases and stored forms; and a generated pair
// checked by openssl rsa -check.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "support/archive_helpers.h"
#include "rsa_test_util.h"

namespace {

// Opens the protected operations to the tests.
class ExposedPair : public CRSAKeyPair {
public:
    using CRSAKeyPair::CRSAKeyPair;
    void privateProcess(const CByteArray& in, CByteArray& out) const { CRSAPrivateKey::ProcessData(in, out); }
    void publicProcess(const CByteArray& in, CByteArray& out) const { CRSAPublicKey::ProcessData(in, out); }
    BOOL publicDecode(const CByteArray& in, unsigned short bits, CByteArray& out, unsigned char type) const
    {
        return CRSAPublicKey::DecodeData(in, bits, out, type);
    }
    unsigned char* exponentP() { return m_primeExponent[0]; }
};

CByteArray bytesOf(const Bytes& b)
{
    CByteArray a;
    a.SetSize((int)b.size());
    if (!b.empty())
        std::memcpy(a.GetData(), b.data(), b.size());
    return a;
}

const ExposedPair& pair512()
{
    static const ExposedPair pair(512, 0);
    return pair;
}

CHugeDigit number(const unsigned char* p, unsigned short n)
{
    CHugeDigit x;
    x.Decode(p, n);
    return x;
}

}  // namespace

TEST(RSAKeyPair, A512BitPairWithExponent3)
{
    const ExposedPair& k = pair512();
    EXPECT_EQ(k.GetBits(), 512);
    EXPECT_EQ(k.RsaOutputSize(), 64u);
    const unsigned char* n = k.GetModulus();
    for (int i = 0; i < 256 - 64; ++i)
        ASSERT_EQ(n[i], 0) << i;
    EXPECT_TRUE(n[256 - 64] & 0x80);
    EXPECT_EQ(hexOf(k.GetExponent() + 253, 3), "000003");
    const CHugeDigit p = number(k.GetPrime(0), 128), q = number(k.GetPrime(1), 128);
    EXPECT_TRUE(IsGreater(p, q));
    EXPECT_TRUE(IsEqual(Multiply(p, q), number(n, 256)));
    EXPECT_EQ(k.TestKeys(10, nullptr, 0), 0);
}

TEST(RSAKeyPair, SelfTestCountsFailures)
{
    // The self-test signs as signing does: with the primes, so a spoilt
    // d mod (p - 1) fails both round trips of every round.
    ExposedPair broken(256, 1);
    broken.exponentP()[127] ^= 2;
    EXPECT_EQ(broken.TestKeys(3, nullptr, 0), 6);
    EXPECT_EQ(broken.TestKeys(3, nullptr, 1), 1);
    // A key shorter than the test numbers' 24 bytes is sound all the same.
    const ExposedPair small(64, 1);
    EXPECT_EQ(small.TestKeys(4, nullptr, 0), 0);
    EXPECT_TRUE(throwsUnlock([] { CRSAKeyPair tooBig(2056, 1); }));
}

TEST(RSAKeyPair, ProgressStartsWithTheRangeAndEndsEmpty)
{
    struct Recorder {
        std::vector<std::pair<UINT, LPARAM>> messages;
        std::vector<WPARAM> positions;
        static LRESULT proc(HWND, UINT m, WPARAM w, LPARAM l, void* context)
        {
            auto* self = static_cast<Recorder*>(context);
            self->messages.push_back({m, l});
            if (m == 1026)
                self->positions.push_back(w);
            return 0;
        }
    } recorder;
    HWND window = CreateMessageWindow(&Recorder::proc, &recorder);
    CProgress progress(window, 0);
    CRSAKeyPair pair(512, 1, nullptr, 0, &progress);
    DestroyWindow(window);
    ASSERT_GE(recorder.messages.size(), 6u);
    EXPECT_EQ(recorder.messages[0].first, 1025u);
    EXPECT_EQ(recorder.messages[0].second, (LPARAM)(100 << 16));
    EXPECT_EQ(recorder.messages[1].first, 1028u);
    EXPECT_EQ(recorder.messages[2].first, 1026u);
    // Positions never go back until the full bar, then the bar is emptied.
    // A first prime found without a step sets the range (and 0) once more.
    ASSERT_GE(recorder.positions.size(), 3u);
    for (size_t i = recorder.positions[1] == 0 ? 2 : 1; i + 2 < recorder.positions.size(); ++i)
        EXPECT_EQ(recorder.positions[i], recorder.positions[i - 1] + 1);
    EXPECT_EQ(recorder.positions.back(), 0u);
    EXPECT_EQ(recorder.positions[recorder.positions.size() - 2], 1u);
    EXPECT_EQ(recorder.messages.back().first, 1026u);
}

TEST(RSAKeyPair, CancellationStopsOnlyTheNamedThread)
{
    // The host cancels from its progress window, on the first message.
    struct Canceller {
        static LRESULT proc(HWND, UINT, WPARAM, LPARAM, void*)
        {
            ThreadToKill = AfxGetThread();
            ThreadKillFlag = 1;
            return 0;
        }
    };
    std::atomic<int> outcome{0};
    std::thread worker([&] {
        HWND window = CreateMessageWindow(&Canceller::proc, nullptr);
        CProgress progress(window, 0);
        try {
            CRSAKeyPair pair(1024, 1, nullptr, 0, &progress);
            outcome = 1;
        } catch (CKillThreadException* e) {
            e->Delete();
            outcome = 2;
        }
        DestroyWindow(window);
    });
    worker.join();
    ThreadKillFlag = 0;
    ThreadToKill = nullptr;
    EXPECT_EQ(outcome.load(), 2);

    // Flag set for this thread: a worker's generation is unaffected.
    ThreadToKill = AfxGetThread();
    ThreadKillFlag = 1;
    std::thread other([&] {
        try {
            CRSAKeyPair pair(512, 1);
            outcome = pair.TestKeys(2, nullptr, 0) == 0 ? 3 : 4;
        } catch (CKillThreadException* e) {
            e->Delete();
            outcome = 5;
        }
    });
    other.join();
    ThreadKillFlag = 0;
    ThreadToKill = nullptr;
    EXPECT_EQ(outcome.load(), 3);
}

TEST(RSAKeys, ProcessDataRange)
{
    const ExposedPair& k = pair512();
    CByteArray modulus = bytesOf(Bytes(k.GetModulus() + 192, k.GetModulus() + 256));
    CByteArray out;
    k.publicProcess(modulus, out);  // equal to the modulus: accepted, result 0
    EXPECT_EQ(hexOf(out), std::string(128, '0'));
    k.privateProcess(modulus, out);
    EXPECT_EQ(hexOf(out), std::string(128, '0'));
    CByteArray above = modulus;
    int last = 63;
    while (++above[last] == 0)  // modulus + 1, carrying through 0xFF bytes
        --last;
    EXPECT_TRUE(throwsUnlock([&] { k.publicProcess(above, out); }));
    EXPECT_TRUE(throwsUnlock([&] { k.privateProcess(above, out); }));
    // A longer array with zero bytes in front is the same number.
    CByteArray padded = bytesOf(Bytes(300, 0));
    padded[299] = 5;
    k.publicProcess(padded, out);
    EXPECT_EQ(out.GetSize(), 64);
    // In place, round trip.
    CByteArray x = bytesOf(Bytes(64, 0));
    x[10] = 0x42;
    CByteArray y = x;
    k.publicProcess(y, y);
    k.privateProcess(y, y);
    EXPECT_EQ(hexOf(y), hexOf(x));
}

TEST(RSAKeys, WrapLimitsOfA512BitKey)
{
    const ExposedPair& k = pair512();
    CByteArray out;
    CKey fits(53), tooLong(54);
    k.LockKey(fits, out);
    EXPECT_EQ(out.GetSize(), 64);
    CKey back;
    k.UnlockKey(out, back, 512);
    EXPECT_EQ(hexOf(back.Data(), back.Size()), hexOf(fits.Data(), fits.Size()));
    EXPECT_TRUE(throwsUnlock([&] { k.LockKey(tooLong, out); }));
    // Two wraps of the same key differ (random padding).
    CByteArray again;
    k.LockKey(fits, again);
    EXPECT_NE(hexOf(again), hexOf(out));
}

TEST(RSAKeys, SignatureBlocksNeedEightPaddingBytes)
{
    const ExposedPair& k = pair512();
    const Bytes digest(20, 0xab);
    // 00 01, 7 x FF, 00, then 54 bytes: the padding is one byte short.
    Bytes block(64, 0x11);
    block[0] = 0;
    block[1] = 1;
    std::memset(block.data() + 2, 0xff, 7);
    block[9] = 0;
    CByteArray signature;
    k.privateProcess(bytesOf(block), signature);
    unsigned char out[20];
    EXPECT_TRUE(throwsUnlock([&] { k.UnlockDigest(eSHA1, signature, out, 512); }));
    CByteArray decoded;
    CByteArray raw = bytesOf(block);
    EXPECT_FALSE(k.publicDecode(raw, 512, decoded, 1));
    block[9] = 0xff;
    block[10] = 0;
    raw = bytesOf(block);
    EXPECT_TRUE(k.publicDecode(raw, 512, decoded, 1));
    EXPECT_EQ(decoded.GetSize(), 53);
    // A proper signature round trip, and the wrong block type.
    CByteArray good;
    k.LockDigest(eSHA1, digest.data(), good);
    k.UnlockDigest(eSHA1, good, out, 512);
    EXPECT_EQ(hexOf(out, 20), hexOf(digest));
    EXPECT_TRUE(throwsUnlock([&] { k.UnlockDigest(eMD5, good, out, 512); }));
    CKey wrapped;
    EXPECT_TRUE(throwsUnlock([&] { k.UnlockKey(good, wrapped, 512); }));
}

TEST(RSAKeys, UnknownDigestAlgorithmIsNotSupported)
{
    const ExposedPair& k = pair512();
    unsigned char digest[20] = {0};
    CByteArray out;
    bool thrown = false;
    try {
        k.LockDigest((EDigestAlgorithm)4, digest, out);
    } catch (CNotSupportedException* e) {
        e->Delete();
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    thrown = false;
    try {
        k.UnlockDigest((EDigestAlgorithm)0, out, digest, 512);
    } catch (CNotSupportedException* e) {
        e->Delete();
        thrown = true;
    }
    EXPECT_TRUE(thrown);
}


TEST(RSAKeyArchive, RoundTripsAndRefusals)
{
    const ExposedPair& k = pair512();
    CRSAPrivateKey priv = k;
    const Bytes stored = storedBytes(priv);
    ASSERT_EQ(stored.size(), 5u + 512u + 3u + 256u + 2u + 256u + 256u + 128u);
    EXPECT_EQ(hexOf(Bytes(stored.begin(), stored.begin() + 5)), "0000010002");
    CRSAPrivateKey loaded;
    EXPECT_EQ(archiveLoadCause(loaded, stored), 0);
    EXPECT_TRUE(loaded == priv);
    EXPECT_EQ(0, std::memcmp(loaded.GetPrivateExponent(), priv.GetPrivateExponent(), 256));
    EXPECT_EQ(0, std::memcmp(loaded.GetCoefficient(), priv.GetCoefficient(), 128));

    CRSAPublicKey pub = k;
    const Bytes pubStored = storedBytes(pub);
    ASSERT_EQ(pubStored.size(), 5u + 512u);
    struct {
        size_t at;
        unsigned char value;
        int cause;
    } damage[] = {
        {0, 1, CArchiveException::genericException},  // marker
        {1, 1, CArchiveException::badSchema},         // length 257
        {3, 0xfb, CArchiveException::genericException},  // bits 507
        {4, 0x08, CArchiveException::genericException},  // bits 2049 (0x0801)
    };
    for (const auto& d : damage) {
        Bytes bad = pubStored;
        bad[d.at] = d.value;
        if (d.at == 4)
            bad[3] = 0x01;
        if (d.at == 3)
            bad[4] = 0x01;
        CRSAPublicKey target;
        EXPECT_EQ(archiveLoadCause(target, bad), d.cause) << d.at;
        EXPECT_EQ(target.GetBits(), 0) << "a failed load changed the key";
    }
    CRSAPublicKey truncated;
    EXPECT_EQ(archiveLoadCause(truncated, Bytes(pubStored.begin(), pubStored.begin() + 100)),
              CArchiveException::endOfFile);

    // Shorter fields are right-aligned.
    Bytes shortForm = {0, 64, 0, 0, 2};
    shortForm.insert(shortForm.end(), pubStored.begin() + 5 + 192, pubStored.begin() + 5 + 256);
    shortForm.insert(shortForm.end(), pubStored.begin() + 5 + 256 + 192, pubStored.end());
    CRSAPublicKey compact;
    EXPECT_EQ(archiveLoadCause(compact, shortForm), 0);
    EXPECT_TRUE(compact == pub);
}

#ifdef VC_HAVE_OPENSSL
namespace {

// PKCS #1 RSAPrivateKey DER of a key, through the engine's universal types.
Bytes pkcs1Der(const CRSAPrivateKey& key)
{
    CASN1_SEQUENCE seq;
    seq.AddObject(new CASN1_INTEGER(0ul));
    seq.AddObject(new CASN1_INTEGER(key.GetModulus(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetExponent(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetPrivateExponent(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetPrime(0), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrime(1), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrimeExponent(0), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrimeExponent(1), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetCoefficient(), 128));
    CByteArray der;
    seq.encodeTo(der);
    return Bytes(der.GetData(), der.GetData() + der.GetSize());
}

}  // namespace

TEST(RSAKeyPair, GeneratedPairsPassOpensslCheck)
{
    TempDir dir;
    for (int exponent : {0, 1}) {
        for (unsigned short bits : {512, 1024, 2048}) {
            CRSAKeyPair pair(bits, exponent);
            const Bytes der = pkcs1Der(pair);
            writeBytes(dir.file("key.der"), der.data(), der.size());
            EXPECT_TRUE(run("openssl rsa -check -noout -inform DER -in " + dir.file("key.der") + " >/dev/null"))
                << bits << " bits, exponent " << (exponent ? 65537 : 3);
        }
    }
}
#endif
