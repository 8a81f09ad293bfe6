#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "vaultcore/vaultcore.h"

#ifdef VC_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

namespace {
std::unique_ptr<CDigestMaker> makeMaker(EDigestAlgorithm algorithm)
{
    switch (algorithm) {
    case eMD2:
        return std::make_unique<CMD2DigestMaker>();
    case eMD5:
        return std::make_unique<CMD5DigestMaker>();
    case eSHA1:
        return std::make_unique<CSHA1DigestMaker>();
    default:
        return nullptr;
    }
}

std::string hex(const unsigned char* p, size_t n)
{
    return std::string(OctetsToHexChars(p, (int)n));
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

// Feeds the message in pieces of `piece` bytes (0: one call) and finishes
// with an empty call.
std::string digestOf(EDigestAlgorithm algorithm, const std::string& message, size_t piece)
{
    std::unique_ptr<CDigestMaker> maker = makeMaker(algorithm);
    const auto* p = (const unsigned char*)message.data();
    if (piece == 0) {
        maker->UpdateBlock(p, (int)message.size(), nullptr, 1, 1);
    } else {
        for (size_t at = 0; at < message.size(); at += piece)
            maker->UpdateBlock(p + at, (int)std::min(piece, message.size() - at), nullptr, 0, 1);
        maker->UpdateBlock(nullptr, 0, nullptr, 1, 1);
    }
    unsigned char out[20];
    maker->GetCurrentDigest(out);
    return lower(hex(out, (size_t)DigestLength(algorithm)));
}

struct Vector {
    EDigestAlgorithm algorithm;
    const char* message;
    const char* digest;
};

// RFC 1321 appendix A.5, RFC 1319 appendix A.5, FIPS 180-1 appendix A/B.
const Vector vectors[] = {
    {eMD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    {eMD5, "a", "0cc175b9c0f1b6a831c399e269772661"},
    {eMD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {eMD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {eMD5, "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {eMD5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {eMD5, "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {eMD2, "", "8350e5a3e24c153df2275c9f80692773"},
    {eMD2, "a", "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
    {eMD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
    {eMD2, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
    {eMD2, "abcdefghijklmnopqrstuvwxyz", "4e8ddff3650292ab5a4108c3aa47940b"},
    {eMD2, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "da33def2a42df13975352846c30338cd"},
    {eMD2, "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "d5976f79d83d3a0dc9806c3c66f3efd8"},
    {eSHA1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {eSHA1, "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {eSHA1, "", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
};
}  // namespace

TEST(Digest, StandardVectorsInOneCallByteByByteAndAcrossBlocks)
{
    for (const Vector& v : vectors) {
        if (!makeMaker(v.algorithm))
            continue;
        for (size_t piece : {0, 1, 3, 15, 16, 17, 63, 64, 65}) {
            EXPECT_EQ(digestOf(v.algorithm, v.message, piece), v.digest)
                << "algorithm " << v.algorithm << " message \"" << v.message << "\" piece " << piece;
        }
    }
}

TEST(Digest, PortableSha1GivesTheSameDigests)
{
    BOOL old = CSHA1DigestMaker::AllowShaInstructions(FALSE);
    EXPECT_FALSE(CSHA1DigestMaker::UsesShaInstructions());
    for (const Vector& v : vectors) {
        if (v.algorithm == eSHA1) {
            EXPECT_EQ(digestOf(eSHA1, v.message, 0), v.digest);
            EXPECT_EQ(digestOf(eSHA1, v.message, 1), v.digest);
        }
    }
    std::string long_(100000, 'a');
    std::string portable = digestOf(eSHA1, long_, 777);
    CSHA1DigestMaker::AllowShaInstructions(old);
    EXPECT_EQ(portable, digestOf(eSHA1, long_, 0));
}

TEST(Digest, MillionA)
{
    const struct {
        EDigestAlgorithm algorithm;
        const char* digest;
    } cases[] = {
        {eMD5, "7707d6ae4e027c70eea2a935c2296f21"},
        {eSHA1, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {eMD2, "8c0a09ff1216ecaf95c8130953c62efd"},
    };
    std::string million(1000000, 'a');
    for (const auto& c : cases) {
        if (!makeMaker(c.algorithm))
            continue;
        EXPECT_EQ(digestOf(c.algorithm, million, 0), c.digest);
        EXPECT_EQ(digestOf(c.algorithm, million, 1000), c.digest);
    }
}

namespace {
LRESULT countHints(HWND, UINT message, WPARAM wParam, LPARAM, void* context)
{
    if (message == PBM_DELTAPOS)
        *static_cast<int*>(context) += (int)wParam;
    return 0;
}
}  // namespace

TEST(Digest, ProgressHintsOncePerBlockAndOnceForFinishing)
{
    for (EDigestAlgorithm algorithm : {eMD2, eMD5, eSHA1}) {
        std::unique_ptr<CDigestMaker> maker = makeMaker(algorithm);
        if (!maker)
            continue;
        int hints = 0;
        HWND w = CreateMessageWindow(countHints, &hints);
        CProgress progress(w, 0);
        std::vector<unsigned char> block((size_t)maker->GetBlockSize(), 'x');
        maker->UpdateBlock(block.data(), (int)block.size(), &progress, 1, 1);
        EXPECT_EQ(hints, 2) << algorithm;  // the block, then the finishing step
        EXPECT_EQ(maker->GetBufferedCount(), 0);
        // Three and a half blocks in pieces: three block hints.
        hints = 0;
        maker->ResetContext();
        std::vector<unsigned char> data(block.size() * 7 / 2, 'y');
        maker->UpdateBlock(data.data(), 5, &progress, 0, 1);
        maker->UpdateBlock(data.data() + 5, (int)data.size() - 5, &progress, 0, 1);
        EXPECT_EQ(hints, 3) << algorithm;
        DestroyWindow(w);
    }
}

TEST(Digest, CopiesTakeStateAndBufferedBytesAndOwnTheirBuffer)
{
    for (EDigestAlgorithm algorithm : {eMD2, eMD5, eSHA1}) {
        std::unique_ptr<CDigestMaker> maker = makeMaker(algorithm);
        if (!maker)
            continue;
        std::string message = "the quick brown fox jumps over the lazy dog, twice over the lazy dog";
        const auto* p = (const unsigned char*)message.data();
        maker->UpdateBlock(p, 21, nullptr, 0, 1);
        std::unique_ptr<CDigestMaker> copy;
        if (algorithm == eMD5)
            copy = std::make_unique<CMD5DigestMaker>(*static_cast<CMD5DigestMaker*>(maker.get()));
        if (algorithm == eMD2)
            copy = std::make_unique<CMD2DigestMaker>(*static_cast<CMD2DigestMaker*>(maker.get()));
        if (algorithm == eSHA1)
            copy = std::make_unique<CSHA1DigestMaker>(*static_cast<CSHA1DigestMaker*>(maker.get()));
        ASSERT_TRUE(copy);
        // Updated alternately, each must still give the digest of its own
        // message.
        copy->UpdateBlock((const unsigned char*)"XYZ", 3, nullptr, 0, 1);
        maker->UpdateBlock(p + 21, (int)message.size() - 21, nullptr, 1, 1);
        copy->UpdateBlock(nullptr, 0, nullptr, 1, 1);
        unsigned char a[20], b[20];
        maker->GetCurrentDigest(a);
        copy->GetCurrentDigest(b);
        size_t n = (size_t)DigestLength(algorithm);
        EXPECT_EQ(lower(hex(a, n)), digestOf(algorithm, message, 0));
        EXPECT_EQ(lower(hex(b, n)), digestOf(algorithm, message.substr(0, 21) + "XYZ", 0));
    }
}

TEST(Digest, UpdateFileMatchesUpdateBlock)
{
    std::string path = std::string(VC_BINARY_DIR) + "/digest_update_file.bin";
    for (size_t size : {0, 1000, 2048, 5000}) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i)
            content[i] = (char)(i * 31 + 7);
        {
            CFile out(path.c_str(), CFile::modeCreate | CFile::modeWrite);
            out.Write(content.data(), (UINT)content.size());
        }
        for (EDigestAlgorithm algorithm : {eMD2, eMD5, eSHA1}) {
            std::unique_ptr<CDigestMaker> maker = makeMaker(algorithm);
            if (!maker)
                continue;
            CFile in(path.c_str(), CFile::modeRead);
            maker->UpdateFile(in, 0, nullptr, 1);
            unsigned char out[20];
            maker->GetCurrentDigest(out);
            EXPECT_EQ(lower(hex(out, (size_t)DigestLength(algorithm))), digestOf(algorithm, content, 0))
                << algorithm << " size " << size;

            // A file shorter than the count asked for is an error, not a
            // silent digest of less.
            maker->ResetContext();
            in.SeekToBegin();
            if (size) {
                try {
                    maker->UpdateFile(in, (unsigned long)size + 1, nullptr, 1);
                    ADD_FAILURE() << "no error for a short file";
                } catch (CFileException* e) {
                    EXPECT_EQ(e->m_cause, CFileException::endOfFile);
                    e->Delete();
                }
            }
        }
    }
    std::remove(path.c_str());
}

TEST(Digest, UpdateFileFramesItsHintsWithSetUp)
{
    std::string path = std::string(VC_BINARY_DIR) + "/digest_progress.bin";
    {
        std::string content(4096, 'p');
        CFile out(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        out.Write(content.data(), (UINT)content.size());
    }
    std::vector<UINT> messages;
    std::vector<LPARAM> ranges;
    struct Log {
        std::vector<UINT>* messages;
        std::vector<LPARAM>* ranges;
    } log{&messages, &ranges};
    HWND w = CreateMessageWindow(
        [](HWND, UINT message, WPARAM, LPARAM lParam, void* context) -> LRESULT {
            auto* l = static_cast<Log*>(context);
            l->messages->push_back(message);
            if (message == PBM_SETRANGE)
                l->ranges->push_back(lParam);
            return 0;
        },
        &log);
    CProgress progress(w, 0);
    CMD5DigestMaker md5;
    CFile in(path.c_str(), CFile::modeRead);
    md5.UpdateFile(in, 0, &progress, 1);
    // SetUp(512, 0, 1, 0), 64 block hints, one finishing hint, SetUp(1, 0, 1, 1).
    ASSERT_EQ(messages.size(), 3u + 64u + 1u + 3u);
    EXPECT_EQ(messages[0], PBM_SETRANGE);
    EXPECT_EQ(ranges[0], (LPARAM)(512 << 16));
    EXPECT_EQ(messages[68], PBM_SETRANGE);
    EXPECT_EQ(ranges[1], (LPARAM)(1 << 16));
    DestroyWindow(w);
    std::remove(path.c_str());
}

#ifdef VC_HAVE_OPENSSL
TEST(Digest, AgreesWithOpenSSLOnRandomLengthsAndSplits)
{
    srand(7);
    for (EDigestAlgorithm algorithm : {eMD2, eMD5, eSHA1}) {
        if (!makeMaker(algorithm))
            continue;
        const EVP_MD* md = algorithm == eMD5 ? EVP_md5() : algorithm == eSHA1 ? EVP_sha1() : nullptr;
        if (!md)
            continue;
        for (int round = 0; round < 200; ++round) {
            std::string message((size_t)(rand() % 700), '\0');
            for (char& c : message)
                c = (char)rand();
            unsigned char expected[EVP_MAX_MD_SIZE];
            unsigned int length = 0;
            EVP_Digest(message.data(), message.size(), expected, &length, md, nullptr);
            size_t piece = (size_t)(rand() % 80);
            EXPECT_EQ(digestOf(algorithm, message, piece), lower(hex(expected, length)))
                << algorithm << " length " << message.size() << " piece " << piece;
        }
    }
}
#endif

TEST(DigestHelpers, FreeFunctions)
{
    unsigned char md5[16];
    AfxMakeMD5DigestOnData((const unsigned char*)"abc", 3, md5);
    EXPECT_EQ(hex(md5, 16), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(std::string(Name2UniqueID("abc", 4)), "90015098");
    EXPECT_EQ(std::string(Name2UniqueID("abc", 40)), "900150983CD24FB0D6963F7D28E17F72");  // at most 16 bytes

    const struct {
        const char* text;
        int n;
        const char* bytes;
    } hexCases[] = {
        {"abc", 4, "00000ABC"},      // odd length: a leading 0
        {"0102", 2, "0102"},
        {"A1b2C3", 2, "B2C3"},       // longer text: its last 2n digits
        {"", 3, "000000"},
        {"F", 1, "0F"},
    };
    for (const auto& c : hexCases) {
        CString text(c.text);
        unsigned char out[8];
        std::memset(out, 0xCC, sizeof out);
        HexCharsToOctets(text, out, c.n);
        EXPECT_EQ(hex(out, (size_t)c.n), c.bytes) << c.text;
        EXPECT_EQ(out[c.n], 0xCC) << "wrote past n for " << c.text;
    }
    EXPECT_EQ(HexCharToDigit('7'), 7);
    EXPECT_EQ(HexCharToDigit('a'), 10);
    EXPECT_EQ(HexCharToDigit('F'), 15);

    CString good("09afAF"), bad("12g4"), empty("");
    EXPECT_TRUE(IsHexCharsString(good));
    EXPECT_FALSE(IsHexCharsString(bad));
    EXPECT_FALSE(IsHexCharsString(empty));
    EXPECT_FALSE(IsHexCharsString((const unsigned char*)"ab", 0));
    EXPECT_TRUE(IsHexCharsString((const unsigned char*)"ab", 2));
}

TEST(DigestHelpers, DigestInfoPrefixes)
{
    int length = 0;
    EXPECT_EQ(DigestInfoPrefix(eMD5, &length), MD5_DIGEST_INFO_PREFIX);
    EXPECT_EQ(length + DigestLength(eMD5), 34);
    DigestInfoPrefix(eMD2, &length);
    EXPECT_EQ(length + DigestLength(eMD2), 34);
    DigestInfoPrefix(eSHA1, &length);
    EXPECT_EQ(length + DigestLength(eSHA1), 35);
    EXPECT_EQ(DigestInfoPrefix((EDigestAlgorithm)4, &length), nullptr);
    EXPECT_EQ(length, 0);
    // The length octets inside each prefix agree with the whole DigestInfo.
    EXPECT_EQ(SHA1_DIGEST_INFO_PREFIX[1], 35 - 2);
    EXPECT_EQ(MD2_DIGEST_INFO_PREFIX[1], 34 - 2);
    EXPECT_EQ(MD2_DIGEST_INFO_PREFIX[13], 0x02);
    EXPECT_EQ(MD5_DIGEST_INFO_PREFIX[13], 0x05);
}
