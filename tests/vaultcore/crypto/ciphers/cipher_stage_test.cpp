// The cipher sinks of the output stage and CASN1Type's encryption members.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "cipher_test_util.h"

namespace {

const unsigned char kIV[8] = {8, 7, 6, 5, 4, 3, 2, 1};

// Collects what reaches it.
class CollectFilter : public CBufferedFilterNS {
public:
    explicit CollectFilter(unsigned long capacity = 1024) : CBufferedFilterNS(capacity) {}
    void process(int, const unsigned char* data, unsigned long length) override
    {
        const unsigned char* p = blockData(data);
        bytes.insert(bytes.end(), p, p + blockLength(data, length));
    }
    Bytes bytes;
};

CTripleDESkey fixedKey()
{
    CTripleDESkey k;
    Bytes b(24);
    for (int i = 0; i < 24; ++i)
        b[i] = (unsigned char)(i * 11 + 1);
    k.Set(b.data(), 24);
    return k;
}

Bytes referenceEncrypt(const Bytes& plain)
{
    CTripleDESAlgorithm p(fixedKey(), 0, kIV);
    Bytes out(p.EncrFinalOutMaxSize(plain.size()));
    out.resize(p.EncryptFinal(plain.data(), plain.size(), out.data(), nullptr));
    return out;
}

Bytes randomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = (unsigned char)rng();
    return b;
}

Bytes fileBytes(CFile& file)
{
    Bytes out(file.GetLength());
    file.SeekToBegin();
    if (!out.empty())
        file.Read(out.data(), (UINT)out.size());
    return out;
}

}  // namespace

TEST(CipherStage, AnyCapacityAndPieceSizeGiveTheWholeMessageResult)
{
    std::mt19937 rng(5);
    for (unsigned long capacity : {1ul, 7ul, 8ul, 13ul, 1024ul}) {
        for (size_t size : {0ul, 5ul, 8ul, 31ul, 2500ul}) {
            const Bytes plain = randomBytes(size, (unsigned)size);
            const Bytes expected = referenceEncrypt(plain);
            CTripleDESAlgorithm enc(fixedKey(), 0, kIV), dec(fixedKey(), 0, kIV);

            CollectFilter cipherOut;
            CEncryptFilterNS encrypt(enc, cipherOut, nullptr, capacity);
            for (size_t at = 0; at < size;) {
                const size_t piece = std::min(size - at, (size_t)(1 + rng() % 40));
                encrypt.write(plain.data() + at, piece);
                at += piece;
            }
            encrypt.finish();
            cipherOut.finish();
            ASSERT_EQ(toHex(cipherOut.bytes), toHex(expected)) << capacity << "/" << size;

            CollectFilter plainOut;
            CDecryptFilterNS decrypt(dec, plainOut, nullptr, capacity);
            for (size_t at = 0; at < expected.size();) {
                const size_t piece = std::min(expected.size() - at, (size_t)(1 + rng() % 40));
                decrypt.write(expected.data() + at, piece);
                at += piece;
            }
            decrypt.finish();
            plainOut.finish();
            ASSERT_EQ(toHex(plainOut.bytes), toHex(plain)) << capacity << "/" << size;
        }
    }
}

TEST(CipherStage, DecryptingSinkRefusesBadEndings)
{
    for (size_t size : {0ul, 12ul}) {
        CTripleDESAlgorithm dec(fixedKey(), 0, kIV);
        CollectFilter out;
        CDecryptFilterNS decrypt(dec, out);
        const Bytes junk(size, 0x11);
        decrypt.write(junk.data(), size);
        EXPECT_TRUE(throwsUnlock([&] { decrypt.finish(); })) << size;
    }
    // Whole blocks whose padding is wrong.
    CTripleDESAlgorithm dec(fixedKey(), 0, kIV);
    CollectFilter out;
    CDecryptFilterNS decrypt(dec, out);
    const Bytes junk = randomBytes(64, 9);
    decrypt.write(junk.data(), junk.size());
    Bytes cipher = referenceEncrypt(Bytes(20, 1));
    cipher.back() ^= 0x5a;
    CTripleDESAlgorithm dec2(fixedKey(), 0, kIV);
    CDecryptFilterNS decrypt2(dec2, out);
    decrypt2.write(cipher.data(), cipher.size());
    EXPECT_TRUE(throwsUnlock([&] { decrypt2.finish(); }));
}

TEST(CipherEncoding, EncodingAndClearContentsIntoEveryTarget)
{
    const Bytes contents = randomBytes(3000, 77);
    CASN1_OCTET_STRING value(contents.data(), (unsigned long)contents.size());
    CByteArray der;
    value.encodeTo(der);
    const Bytes encoding(der.GetData(), der.GetData() + der.GetSize());
    const Bytes encodedCipher = referenceEncrypt(encoding);
    const Bytes clearCipher = referenceEncrypt(contents);

    {  // file
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CMemFile file;
        value.encryptEncoding(p, file);
        EXPECT_EQ(toHex(fileBytes(file)), toHex(encodedCipher));
    }
    {  // encoding
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CDEREncoding enc(0);
        value.encryptClearContents(p, enc);
        enc.SeekToBegin();
        Bytes got(enc.bytesLeft());
        enc.Read(got.data(), (unsigned long)got.size());
        EXPECT_EQ(toHex(got), toHex(clearCipher));
    }
    {  // archive
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            value.encryptEncoding(p, ar);
            ar.Close();
        }
        EXPECT_EQ(toHex(fileBytes(file)), toHex(encodedCipher));
    }
    {  // caller's stage, not finished by the call
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CollectFilter stage;
        value.encryptClearContents(p, stage);
        stage.finish();
        EXPECT_EQ(toHex(stage.bytes), toHex(clearCipher));
    }
    {  // the encoding without its header
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CollectFilter stage;
        value.encryptEncoding(p, stage, 1);
        stage.finish();
        EXPECT_EQ(toHex(stage.bytes), toHex(clearCipher));
    }
}

TEST(CipherEncoding, DecryptionMembersRecoverThePlaintext)
{
    const Bytes contents = randomBytes(1500, 78);
    const Bytes cipher = referenceEncrypt(contents);
    CASN1_OCTET_STRING locked(cipher.data(), (unsigned long)cipher.size());
    {
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CMemFile file;
        locked.decryptClearContents(p, file);
        EXPECT_EQ(toHex(fileBytes(file)), toHex(contents));
    }
    {
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CollectFilter stage;
        locked.decryptEncoding(p, stage, 1);
        stage.finish();
        EXPECT_EQ(toHex(stage.bytes), toHex(contents));
    }
    {
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            locked.decryptClearContents(p, ar);
            ar.Close();
        }
        EXPECT_EQ(toHex(fileBytes(file)), toHex(contents));
    }
    {  // the whole encoding (with its header) is no ciphertext of whole blocks
        CTripleDESAlgorithm p(fixedKey(), 0, kIV);
        CDEREncoding enc(0);
        EXPECT_TRUE(throwsUnlock([&] { locked.decryptEncoding(p, enc); }));
    }
}
