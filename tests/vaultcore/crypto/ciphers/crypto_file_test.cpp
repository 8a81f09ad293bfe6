// CCryptoFile layout, reading, writing, seeking and failures; EncryptFile
// and DecryptFile.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "cipher_test_util.h"
#include "progress_recorder.h"

namespace {

const unsigned char kIV[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe};

CDESkey fileKey()
{
    CDESkey k;
    const Bytes b = hexBytes("0123456789abcdef");
    k.Set(b.data(), 8);
    return k;
}

Bytes contents(CFile& f)
{
    Bytes out(f.GetLength());
    f.SeekToBegin();
    if (!out.empty())
        f.Read(out.data(), (UINT)out.size());
    return out;
}

// Decrypts the underlying bytes chunk by chunk, each from the iv, without
// removing anything.
Bytes rawDecrypt(const Bytes& cipher, unsigned long chunk)
{
    CDESAlgorithm p(fileKey(), 0, kIV);
    Bytes out(cipher.size());
    for (size_t at = 0; at < cipher.size(); at += chunk) {
        const size_t n = std::min(cipher.size() - at, (size_t)chunk);
        p.ResetDecryptionContext();
        p.DecryptBlock(cipher.data() + at, n, out.data() + at, nullptr);
    }
    return out;
}

Bytes writeNew(const Bytes& data, unsigned long chunk)
{
    CMemFile under;
    CDESAlgorithm p(fileKey(), 0, kIV);
    {
        CCryptoFile f(&under, p, chunk, 0);
        f.Write(data.data(), (UINT)data.size());
        f.Close();
    }
    return contents(under);
}

int fileCause(std::function<void()> f)
{
    try {
        f();
    } catch (CFileException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return 0;
}

void fill(CMemFile& f, const Bytes& b)
{
    f.SetLength(0);
    f.SeekToBegin();
    f.Write(b.data(), (UINT)b.size());
    f.SeekToBegin();
}

}  // namespace

TEST(CryptoFile, LayoutOfNewFiles)
{
    struct {
        size_t plain, file;
    } cases[] = {{5, 8}, {16, 24}, {24, 32}, {0, 0}};
    for (const auto& c : cases) {
        Bytes data(c.plain);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = (unsigned char)(i + 1);
        const Bytes cipher = writeNew(data, 16);
        ASSERT_EQ(cipher.size(), c.file) << c.plain;
        if (!c.file)
            continue;
        const Bytes raw = rawDecrypt(cipher, 16);
        EXPECT_EQ(0, std::memcmp(raw.data(), data.data(), data.size()));
        const unsigned char p = (unsigned char)(8 - c.plain % 8);
        for (size_t i = c.plain; i < raw.size(); ++i)
            EXPECT_EQ(raw[i], p) << c.plain;

        CMemFile under;
        fill(under, cipher);
        CDESAlgorithm proc(fileKey(), 0, kIV);
        CCryptoFile f(&under, proc, 16, 0);
        EXPECT_EQ(f.GetLength(), c.plain);
        Bytes back(c.plain + 4);
        EXPECT_EQ(f.Read(back.data(), (UINT)back.size()), c.plain);
        EXPECT_EQ(0, std::memcmp(back.data(), data.data(), c.plain));
    }
}

TEST(CryptoFile, MalformedFilesAreRefused)
{
    CDESAlgorithm proc(fileKey(), 0, kIV);
    CMemFile under;
    fill(under, Bytes(12, 0));
    EXPECT_EQ(fileCause([&] { CCryptoFile f(&under, proc, 16, 0); }), CFileException::genericException);

    // One block whose last byte decrypts to 9, and one ending 03 02 03.
    for (const char* plain : {"0000000000000009", "0000000000030203", "0000000000000000"}) {
        Bytes block = hexBytes(plain), cipher(8);
        proc.ResetEncryptionContext();
        proc.EncryptBlock(block.data(), 8, cipher.data(), nullptr);
        fill(under, cipher);
        EXPECT_EQ(fileCause([&] { CCryptoFile f(&under, proc, 16, 0); }), CFileException::genericException)
            << plain;
    }
}

TEST(CryptoFile, SeekAndSetLength)
{
    Bytes data(16);
    for (size_t i = 0; i < 16; ++i)
        data[i] = (unsigned char)(0xa0 + i);
    CMemFile under;
    fill(under, writeNew(data, 16));
    CDESAlgorithm proc(fileKey(), 0, kIV);
    {
        CCryptoFile f(&under, proc, 16, 0);
        EXPECT_EQ(f.Seek(-3, CFile::end), 13);
        unsigned char c = 0;
        EXPECT_EQ(f.Read(&c, 1), 1u);
        EXPECT_EQ(c, 0xad);
        EXPECT_EQ(fileCause([&] { f.Seek(17, CFile::begin); }), CFileException::badSeek);
        EXPECT_EQ(fileCause([&] { f.Seek(-1, CFile::begin); }), CFileException::badSeek);
        EXPECT_EQ(f.GetPosition(), 14u);
        EXPECT_EQ(fileCause([&] { f.SetLength(12); }), CFileException::badSeek);
        EXPECT_EQ(fileCause([&] { f.SetLength(24); }), CFileException::badSeek);
        EXPECT_EQ(f.GetLength(), 16u);
        f.SetLength(8);
        EXPECT_EQ(f.GetLength(), 8u);
        EXPECT_EQ(f.GetPosition(), 8u);
        EXPECT_FALSE(f.Open("x", CFile::modeRead));
        EXPECT_EQ(f.GetBufferPtr(0), 0u);
    }
    // The shortened length reaches the file.
    EXPECT_EQ(under.GetLength(), 16u);
    CCryptoFile again(&under, proc, 16, 0);
    EXPECT_EQ(again.GetLength(), 8u);
}

TEST(CryptoFile, RandomEditsMatchAPlainModel)
{
    std::mt19937 rng(42);
    for (unsigned long chunk : {8ul, 16ul, 24ul, 64ul}) {
        CMemFile under;
        CDESAlgorithm proc(fileKey(), 0, kIV);
        Bytes model;
        for (int session = 0; session < 6; ++session) {
            CCryptoFile f(&under, proc, chunk, 0);
            ASSERT_EQ(f.GetLength(), model.size());
            for (int op = 0; op < 25; ++op) {
                const unsigned long pos = model.empty() ? 0 : rng() % (model.size() + 1);
                f.Seek((long)pos, CFile::begin);
                if (rng() % 3 == 0) {
                    Bytes got(rng() % 50), want;
                    const UINT n = f.Read(got.data(), (UINT)got.size());
                    want.assign(model.begin() + pos, model.begin() + pos + n);
                    ASSERT_EQ(n, std::min(got.size(), model.size() - pos));
                    got.resize(n);
                    ASSERT_EQ(toHex(got), toHex(want));
                } else {
                    Bytes add(rng() % 40);
                    for (auto& b : add)
                        b = (unsigned char)rng();
                    f.Write(add.data(), (UINT)add.size());
                    if (model.size() < pos + add.size())
                        model.resize(pos + add.size());
                    std::copy(add.begin(), add.end(), model.begin() + pos);
                }
                ASSERT_EQ(f.GetLength(), model.size());
            }
            f.Close();
            ASSERT_EQ(under.GetLength(), model.size() + 8 - model.size() % 8);
        }
        CCryptoFile f(&under, proc, chunk, 0);
        Bytes all(model.size());
        f.Read(all.data(), (UINT)all.size());
        EXPECT_EQ(toHex(all), toHex(model)) << chunk;
    }
}

TEST(CryptoFile, OwnedFileIsClosedAndDeleted)
{
    CMemFile* under = new CMemFile;
    CDESAlgorithm proc(fileKey(), 0, kIV);
    CCryptoFile* f = new CCryptoFile(under, proc, 16, 1);
    f->Write("hello", 5);
    delete f;  // closes, writes the padding and deletes the memory file (ASan checks)
}

TEST(EncryptFileTest, WholeFilesAndEmptyOnes)
{
    CDESAlgorithm enc(fileKey(), 0, kIV), dec(fileKey(), 0, kIV), ref(fileKey(), 0, kIV);
    for (size_t size : {0ul, 7ul, 64ul, 1000ul, 1024ul}) {
        Bytes data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = (unsigned char)(i * 13);
        CMemFile in, out, back;
        fill(in, data);
        enc.ResetEncryptionContext();
        EncryptFile(enc, in, 0, out, 100, nullptr, 0);
        // The same bytes as one EncryptFinal over the whole message.
        ref.ResetEncryptionContext();
        Bytes expect(ref.EncrFinalOutMaxSize(size));
        expect.resize(ref.EncryptFinal(data.data(), size, expect.data(), nullptr));
        EXPECT_EQ(toHex(contents(out)), toHex(expect)) << size;
        out.SeekToBegin();
        dec.ResetDecryptionContext();
        DecryptFile(dec, out, 0, back, 64, nullptr, 0);
        EXPECT_EQ(toHex(contents(back)), toHex(data)) << size;
    }
}

TEST(EncryptFileTest, PartOfAFileWithProgress)
{
    ProgressRecorder recorder;
    CProgress progress(recorder.window, 0);
    CDESAlgorithm enc(fileKey(), 0, kIV), dec(fileKey(), 0, kIV);
    Bytes data(300, 0x77);
    CMemFile in, out, back;
    fill(in, data);
    in.Seek(10, CFile::begin);
    EncryptFile(enc, in, 100, out, 32, &progress, 1);
    EXPECT_EQ(out.GetLength(), 104u);
    ASSERT_GE(recorder.messages.size(), 3u);
    EXPECT_EQ(recorder.messages[0].message, 1025u);
    EXPECT_EQ((unsigned long)(recorder.messages[0].lParam >> 16), enc.CountHints(100, 1));
    EXPECT_EQ(recorder.hints(), enc.CountHints(100, 1));
    out.SeekToBegin();
    DecryptFile(dec, out, 0, back, 32, nullptr, 0);
    EXPECT_EQ(toHex(contents(back)), toHex(Bytes(100, 0x77)));
}

TEST(EncryptFileTest, FailuresOfDecryptFile)
{
    CDESAlgorithm dec(fileKey(), 0, kIV);
    CMemFile in, out;
    fill(in, Bytes(12, 1));
    EXPECT_TRUE(throwsUnlock([&] { DecryptFile(dec, in, 0, out, 64, nullptr, 0); }));
    fill(in, Bytes(16, 1));
    EXPECT_TRUE(throwsUnlock([&] { DecryptFile(dec, in, 0, out, 8, nullptr, 0); }));
    CMemFile empty;
    EXPECT_TRUE(throwsUnlock([&] { DecryptFile(dec, empty, 0, out, 8, nullptr, 0); }));
    // A file shorter than the asked length.
    fill(in, Bytes(16, 1));
    EXPECT_EQ(fileCause([&] { DecryptFile(dec, in, 64, out, 8, nullptr, 0); }), CFileException::endOfFile);
}
