// The byte layer: length forms, measuring encodings, the end-of-contents
// test, the output stage's blocking, and reading from encodings.
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/der_helpers.h"

namespace {

TEST(DefiniteLengthEncoding, UsesTheMinimalForm)
{
    struct Case {
        unsigned long length;
        const char* header;
    } cases[] = {
        {0, "04 00"},
        {127, "04 7F"},
        {128, "04 81 80"},
        {255, "04 81 FF"},
        {256, "04 82 01 00"},
        {0x10000, "04 83 01 00 00"},
    };
    for (const Case& c : cases) {
        Bytes contents(c.length, 0xAB);
        CASN1_OCTET_STRING value(contents.data(), contents.size());
        CByteArray bytes;
        value.encodeTo(bytes);
        std::string header = hexOf(bytes.GetData(), bytes.GetSize() - c.length);
        EXPECT_EQ(header, c.header) << c.length;
        EXPECT_EQ((unsigned long)bytes.GetSize(), ___computeEncodedLength(1, c.length, 0));
    }
}

TEST(DefiniteLengthEncoding, FourOctetLength)
{
    // Measured only: 16 MiB of contents need not be built to know the header.
    EXPECT_EQ(___computeEncodedLength(1, 0x01000000, 0), 1u + 5u + 0x01000000u);
}

TEST(ComputeEncodedLength, CountsHeaderAndEndOfContents)
{
    EXPECT_EQ(___computeEncodedLength(1, 200, 0), 203u);
    EXPECT_EQ(___computeEncodedLength(1, 200, 1), 204u);
    EXPECT_EQ(___computeEncodedLength(1, 5, 0), 7u);
    EXPECT_EQ(___computeEncodedLength(1, 0, 1), 4u);
}

TEST(ExtractEncodingLength, AnswersEachHeaderShape)
{
    struct Case {
        const char* reason;
        const char* bytes;
        long expected;
    } cases[] = {
        {"one octet", "30", -1},
        {"high tag number", "1F 00", -4},
        {"indefinite", "30 80", -3},
        {"five length octets", "30 85 00 00 00 00 01", -2},
        {"length octets missing", "30 82 01", -1},
        {"long form", "30 82 01 00", 260},
        {"short form", "02 01 05", 3},
        {"non-minimal long form", "04 81 05", 8},
        {"beyond 2^31", "04 84 7F FF FF FF", -2},
        {"4-octet length", "04 84 00 01 00 00", 6 + 0x10000},
    };
    for (const Case& c : cases) {
        Bytes b = hexBytes(c.bytes);
        EXPECT_EQ(___extractEncodingLength(b.data(), b.size()), c.expected) << c.reason;
    }
}

TEST(Reached00, ConsumesOnlyTheMarker)
{
    EncodingOf marker(hexBytes("00 00 05"));
    EXPECT_EQ(marker->reached00(), 1);
    EXPECT_EQ(marker->Seek(0, CFile::current), 2);

    EncodingOf other(hexBytes("00 05"));
    EXPECT_EQ(other->reached00(), 0);
    EXPECT_EQ(other->Seek(0, CFile::current), 0);

    EncodingOf shortData(hexBytes("00"));
    EXPECT_EQ(decodingFailure([&] { shortData->reached00(); }), "Unexpected end of file");
}

// A sink that records the size of every block it is handed.
class RecordingStage : public CBufferedFilterNS {
public:
    void process(int final, const unsigned char* data, unsigned long length) override
    {
        blocks.push_back({final, data != nullptr, blockLength(data, length)});
        for (unsigned long i = 0; i < blockLength(data, length); ++i)
            received.push_back(blockData(data)[i]);
    }
    struct Block {
        int final;
        bool direct;
        unsigned long length;
    };
    std::vector<Block> blocks;
    Bytes received;
};

TEST(BufferedFilter, PassesWholeBlocksWithoutCopying)
{
    RecordingStage stage;
    Bytes data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (unsigned char)i;
    stage.write(data.data(), data.size());
    ASSERT_EQ(stage.blocks.size(), 2u);
    EXPECT_TRUE(stage.blocks[0].direct);
    EXPECT_EQ(stage.blocks[0].length, 1024u);
    EXPECT_TRUE(stage.blocks[1].direct);
    EXPECT_EQ(stage.getTotal(), 3000u);
    stage.finish();
    ASSERT_EQ(stage.blocks.size(), 3u);
    EXPECT_EQ(stage.blocks[2].final, 1);
    EXPECT_EQ(stage.blocks[2].length, 952u);
    EXPECT_EQ(stage.received, data);
}

TEST(BufferedFilter, SmallWritesFillTheBufferFirst)
{
    RecordingStage stage;
    Bytes data(1500, 7);
    stage.write(data.data(), 1000);
    EXPECT_TRUE(stage.blocks.empty());
    stage.write(data.data(), 500);  // completes one buffer, keeps 476
    ASSERT_EQ(stage.blocks.size(), 1u);
    EXPECT_FALSE(stage.blocks[0].direct);
    EXPECT_EQ(stage.blocks[0].length, 1024u);
    stage.finish();
    EXPECT_EQ(stage.blocks.back().length, 476u);
    EXPECT_EQ(stage.received.size(), 1500u);
}

TEST(DEREncoding, BuiltFromAValueIsPositionedAtItsEnd)
{
    CASN1_INTEGER five(5);
    CDEREncoding* encoding = new CDEREncoding(TRUE, five);
    encoding->AddRef();
    EXPECT_EQ(encoding->Seek(0, CFile::current), 3);
    encoding->SeekToBegin();
    CASN1_INTEGER decoded;
    decoded.decodeFrom(*encoding);
    unsigned long value = 0;
    EXPECT_TRUE(decoded.GetInteger(value));
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(encoding->Release(), 0);
}

TEST(DEREncoding, ReadIntoArrayNeverAllocatesBeyondTheData)
{
    EncodingOf encoding(hexBytes("01 02 03"));
    CByteArray bytes;
    EXPECT_EQ(encoding->Read(bytes, 0x7FFFFFF0UL), 3u);
    EXPECT_EQ(bytes.GetSize(), 3);
}

TEST(DEREncoding, ReadByteAtTheEndIsADecodingFailure)
{
    EncodingOf encoding(hexBytes("01"));
    EXPECT_EQ(encoding->ReadByte(), 1);
    EXPECT_EQ(decodingFailure([&] { encoding->ReadByte(); }), "CException -> CDERDecodingException");
}

TEST(DEREncoding, CopyToFileNeedsEveryOctet)
{
    EncodingOf encoding(hexBytes("01 02 03"));
    CMemFile out;
    encoding->Read(out, 2);
    EXPECT_EQ(out.GetLength(), 2u);
    EXPECT_EQ(decodingFailure([&] { encoding->Read(out, 2); }), "CException -> CDERDecodingException");
}

TEST(DEREncoding, WriteFromFileRaisesEndOfFile)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE);
    encoding->AddRef();
    Bytes two = hexBytes("AA BB");
    CMemFile source(two.data(), 2, 0);
    try {
        encoding->Write(source, 3);
        ADD_FAILURE() << "expected an end-of-file exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::endOfFile);
        e->Delete();
    }
    encoding->Release();
}

TEST(DEREncoding, WritesWithoutAFileFailLikeReads)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, (CFile*)nullptr, FALSE, FALSE);
    encoding->AddRef();
    Bytes two = hexBytes("AA BB");
    CMemFile source(two.data(), 2, 0);
    const std::string read = decodingFailure([&] { encoding->ReadByte(); });
    EXPECT_EQ(decodingFailure([&] { encoding->Write(two.data(), 2); }), read);
    EXPECT_EQ(decodingFailure([&] { encoding->Write(source, 2); }), read);
    EXPECT_EQ(decodingFailure([&] { CASN1_INTEGER(5).encodeTo(*encoding); }), read);
    encoding->Release();
}

TEST(DEREncoding, ReferenceCountSurvivesManyThreads)
{
    // Lost updates of a plain counter show up in a few of these rounds.
    for (int round = 0; round < 10; ++round) {
        CDEREncoding* encoding = new CDEREncoding(TRUE);
        encoding->AddRef();
        std::atomic<bool> go(false);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([encoding, &go] {
                while (!go)
                    std::this_thread::yield();
                for (int i = 0; i < 200000; ++i)
                    encoding->AddRef();
                for (int i = 0; i < 200000; ++i)
                    encoding->Release();
            });
        go = true;
        for (std::thread& thread : threads)
            thread.join();
        ASSERT_EQ(encoding->Release(), 0) << "round " << round;  // deletes it
    }
}

TEST(DEREncoding, InPlaceBufferRefusesToGrow)
{
    unsigned char buffer[2] = {1, 2};
    CDEREncoding* encoding = new CDEREncoding(TRUE, buffer, 2, FALSE, FALSE);
    encoding->AddRef();
    EXPECT_TRUE(encoding->isExternal());
    encoding->Seek(0, CFile::end);
    EXPECT_TRUE(throwsAndDeletes<CMemoryException>([&] { encoding->WriteByte(3); }));
    encoding->Release();
}

TEST(DEREncoding, TemporaryFileIsRemovedOnClear)
{
    char path[] = "/tmp/vc_der_tmp_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    CFile* file = new CFile(path, CFile::modeReadWrite);
    CDEREncoding* encoding = new CDEREncoding(TRUE, file, TRUE, TRUE);
    encoding->OnOffTmpFile(TRUE);
    encoding->AddRef();
    encoding->Release();
    EXPECT_NE(access(path, F_OK), 0);
}

TEST(MemFilePro, WholeBufferIsTheContentsWhateverTheGrowSize)
{
    BYTE* buffer = (BYTE*)malloc(4);
    memcpy(buffer, "abcd", 4);
    CMemFilePro file(buffer, 4, 1024, TRUE);
    EXPECT_EQ(file.GetLength(), 4u);
    EXPECT_EQ(file.GetPosition(), 0u);
    file.SetFilePath("/named/file");
    EXPECT_EQ(file.GetFilePath(), "/named/file");
}

TEST(ByteArrayPro, DetachLeavesTheArrayEmpty)
{
    CByteArrayPro bytes;
    bytes.Add(1);
    bytes.Add(2);
    BYTE* buffer = bytes.Detach();
    EXPECT_EQ(bytes.GetSize(), 0);
    EXPECT_EQ(bytes.GetData(), nullptr);
    EXPECT_EQ(buffer[1], 2);
    free(buffer);
}

}  // namespace
