// Compound files: a configuration kept in a stream of one (checked with
// libgsf's own gsf tool), the file exceptions of failing storage calls,
// sharing, transactions and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "dirlink/dirlink.h"
#include "support/shell_command.h"

namespace {
using Bytes = std::vector<unsigned char>;

const DWORD kCreate = CFile::modeReadWrite | CFile::shareExclusive | CFile::modeCreate;
const DWORD kReadOnly = CFile::modeRead | CFile::shareExclusive;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

class CompoundStorage : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/storageXXXXXX";
        m_folder = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + m_folder + "'").c_str()); }
    std::string path(const char* name) const { return m_folder + "/" + name; }

    // The cause of the exception a failing call throws, or -1 when it succeeds.
    template <class Call>
    static int thrownCause(Call call, CString* fileName = nullptr)
    {
        try {
            call();
        } catch (CFileException* e) {
            int cause = e->m_cause;
            if (fileName)
                *fileName = e->m_strFileName;
            e->Delete();
            return cause;
        }
        return -1;
    }

    CLdapDirSettings sample() const
    {
        CLdapDirSettings settings;
        settings.m_server = "ldap.example.com";
        settings.m_port = 636;
        settings.m_userName = "cn=P.Varek, c=BY";
        settings.m_password = "s3cret";
        settings.m_rememberPassword = TRUE;
        return settings;
    }

    std::string m_folder;
};
}  // namespace

TEST_F(CompoundStorage, ConfigurationInAStreamReadsBackAndGsfSeesIt)
{
    const std::string file = path("host.dat");
    CString message;
    {
        CStorage storage;
        ASSERT_TRUE(storage.Create(file.c_str(), kCreate));
        COleStream stream;
        ASSERT_TRUE(stream.CreateStream(storage.GetStorage(), "DirectoryManager"));
        EXPECT_TRUE(stream.m_bAttached);
        EXPECT_EQ(CString("DirectoryManager"), stream.GetName());
        ASSERT_EQ(0, sample().SaveConfiguration(&stream, message));
        stream.Write("tail", 4);  // the host's own data after the configuration
    }  // released: written to the disk

    CMemFile expected;
    sample().SaveConfiguration(&expected, message);
    const std::string listing = runShell("gsf list '" + file + "'");
    EXPECT_NE(std::string::npos, listing.find(std::to_string(expected.GetLength() + 4) + " DirectoryManager"))
        << listing;
    Bytes content(expected.GetLength());
    expected.SeekToBegin();
    expected.Read(content.data(), (UINT)content.size());
    content.insert(content.end(), {'t', 'a', 'i', 'l'});
    const std::string cat = runShell("gsf cat '" + file + "' DirectoryManager");
    EXPECT_EQ(std::string(content.begin(), content.end()), cat);

    CStorage storage;
    ASSERT_TRUE(storage.Open(file.c_str(), kReadOnly));
    COleStream stream;
    ASSERT_TRUE(stream.OpenStream(storage.GetStorage(), "DirectoryManager", kReadOnly));
    CLdapDirSettings loaded;
    ASSERT_EQ(0, loaded.LoadConfiguration(&stream, FALSE, message));
    EXPECT_EQ(CString("ldap.example.com"), loaded.m_server);
    EXPECT_EQ(CString("s3cret"), loaded.m_password);
    EXPECT_EQ(expected.GetLength(), stream.GetPosition());  // read-ahead handed back
    char tail[5] = {};
    EXPECT_EQ(4u, stream.Read(tail, 4));
    EXPECT_STREQ("tail", tail);
}

TEST_F(CompoundStorage, FailuresBecomeFileExceptions)
{
    const std::string file = path("host.dat");
    CStorage made;
    ASSERT_TRUE(made.Create(file.c_str(), kCreate));
    made.Close();
    writeFile(path("text.txt"), {'n', 'o', 't', ' ', 'a', ' ', 'c', 'o', 'm', 'p', 'o', 'u', 'n', 'd'});

    struct Case {
        const char* what;
        std::function<void()> call;
        int cause;
    };
    CStorage storage;
    const std::string missing = path("missing.dat");
    const std::vector<Case> cases = {
        {"missing file", [&] { storage.Open(missing.c_str(), kReadOnly); }, CFileException::fileNotFound},
        {"not a compound file", [&] { storage.Open(path("text.txt").c_str(), kReadOnly); },
         CFileException::accessDenied},
        {"existing file without modeCreate",
         [&] { storage.Create(file.c_str(), CFile::modeReadWrite | CFile::shareExclusive); },
         CFileException::accessDenied},
        {"name beyond 260 characters", [&] { storage.Open((m_folder + "/" + std::string(300, 'n')).c_str(), kReadOnly); },
         CFileException::badPath},
        {"folder that does not exist", [&] { storage.Create(path("no/such.dat").c_str(), kCreate); },
         CFileException::fileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.cause, thrownCause(c.call));
        EXPECT_EQ(nullptr, storage.GetStorage());
    }

    // With an exception object given, it is filled instead, with the file name.
    CFileException error;
    EXPECT_FALSE(storage.Open(missing.c_str(), kReadOnly, nullptr, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(CString(missing.c_str()), error.m_strFileName);
    EXPECT_EQ(STG_E_FILENOTFOUND, error.m_lOsError);
}

TEST_F(CompoundStorage, StatusCodesAboveTheSystemRangeMapToSharingOrGeneric)
{
    const struct {
        SCODE status;
        int cause;
    } rows[] = {
        {STG_E_INUSE, CFileException::sharingViolation},
        {STG_E_SHAREREQUIRED, CFileException::sharingViolation},
        {STG_E_SHAREVIOLATION, CFileException::sharingViolation},  // 0x20: the system's sharing error
        {STG_E_MEDIUMFULL, CFileException::diskFull},              // 0x70: the system's disk-full error
        {STG_E_INVALIDNAME, CFileException::genericException},     // 0xFC: no system error of that number
        {STG_E_DOCFILECORRUPT, CFileException::genericException},
        {E_OUTOFMEMORY, CFileException::genericException},         // not the storage facility
    };
    for (const auto& row : rows) {
        CFileException error;
        AfxFillOleFileException(&error, row.status, "x");
        EXPECT_EQ(row.cause, error.m_cause) << std::hex << row.status;
    }
}

TEST_F(CompoundStorage, StreamsAndSharing)
{
    const std::string file = path("host.dat");
    CStorage writer;
    ASSERT_TRUE(writer.Create(file.c_str(), kCreate));
    COleStream first;
    ASSERT_TRUE(first.CreateStream(writer.GetStorage(), "Settings"));
    // Opening a stream answers FALSE and fills the exception object given.
    COleStream again;
    const struct {
        const char* what;
        const char* name;
        bool create;
        int cause;
    } refused[] = {
        {"open twice", "Settings", false, CFileException::accessDenied},
        {"name of 32 characters", "ssssssssssssssssssssssssssssssss", true, CFileException::genericException},
        {"reserved character", "a/b", true, CFileException::genericException},
        {"missing stream", "Other", false, CFileException::fileNotFound},
    };
    for (const auto& row : refused) {
        CFileException error;
        BOOL done = row.create ? again.CreateStream(writer.GetStorage(), row.name, kCreate, &error)
                               : again.OpenStream(writer.GetStorage(), row.name, kCreate & ~CFile::modeCreate, &error);
        EXPECT_FALSE(done) << row.what;
        EXPECT_EQ(row.cause, error.m_cause) << row.what;
    }

    // Another opener of the file meets the writer's lock.
    CStorage reader;
    EXPECT_EQ(CFileException::sharingViolation, thrownCause([&] { reader.Open(file.c_str(), kReadOnly); }));

    // A clone shares the bytes and keeps its own position.
    first.Write("abcdef", 6);
    std::unique_ptr<COleStream> clone(first.Clone());
    EXPECT_TRUE(clone->m_bAttached);
    EXPECT_EQ(6u, clone->GetPosition());
    clone->SeekToBegin();
    char text[4] = {};
    EXPECT_EQ(3u, clone->Read(text, 3));
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(6u, first.GetPosition());

    IStream* raw = first.Detach();
    EXPECT_FALSE(first.m_bAttached);
    EXPECT_TRUE(first.GetName().IsEmpty());
    raw->Release();
    clone.reset();
    writer.Close();

    ASSERT_TRUE(reader.Open(file.c_str(), kReadOnly));
    COleStream readOnly;
    ASSERT_TRUE(readOnly.OpenStream(reader.GetStorage(), "Settings", kReadOnly));
    EXPECT_EQ(6u, readOnly.GetLength());
    EXPECT_EQ(CFileException::accessDenied, thrownCause([&] { readOnly.Write("x", 1); }));
    CFileException error;
    EXPECT_FALSE(again.CreateStream(reader.GetStorage(), "New", kCreate, &error));
    EXPECT_EQ(CFileException::accessDenied, error.m_cause);
}

TEST_F(CompoundStorage, TransactedChangesNeedACommit)
{
    const std::string file = path("host.dat");
    const DWORD transacted = kCreate | STGM_TRANSACTED;
    for (bool commit : {false, true}) {
        SCOPED_TRACE(commit);
        {
            CStorage storage;
            ASSERT_TRUE(storage.Create(file.c_str(), transacted));
            COleStream stream;
            ASSERT_TRUE(stream.CreateStream(storage.GetStorage(), "Settings"));
            stream.Write("data", 4);
            stream.Close();
            if (commit) {
                EXPECT_TRUE(storage.Commit());
            }
        }
        const std::string listing = runShell("gsf list '" + file + "'");
        EXPECT_EQ(commit, listing.find("Settings") != std::string::npos) << listing;
    }
}

TEST_F(CompoundStorage, TemporaryStorageNamesItselfAndGoesOnRelease)
{
    CStorage storage;
    ASSERT_TRUE(storage.Create((const char*)nullptr, kCreate | STGM_DELETEONRELEASE));
    EXPECT_TRUE(storage.m_bTemporary);
    const CString name = storage.GetFileName();
    ASSERT_FALSE(name.IsEmpty());
    struct stat st;
    EXPECT_EQ(0, stat(name, &st));
    storage.Close();
    EXPECT_NE(0, stat(name, &st));
}

TEST_F(CompoundStorage, DamagedFilesFailCleanly)
{
    const std::string file = path("host.dat");
    {
        CStorage storage;
        ASSERT_TRUE(storage.Create(file.c_str(), kCreate));
        COleStream stream;
        ASSERT_TRUE(stream.CreateStream(storage.GetStorage(), "Settings"));
        std::vector<char> big(20000, 'x');  // beyond the small-block stream
        stream.Write(big.data(), (UINT)big.size());
    }
    const Bytes good = readFile(file);
    const std::string damaged = path("damaged.dat");
    std::vector<Bytes> variants;
    for (size_t cut : {size_t(0), size_t(8), size_t(512), good.size() / 2, good.size() - 1})
        variants.push_back(Bytes(good.begin(), good.begin() + (long)cut));
    for (size_t at = 0x30; at < 0x80 && at < good.size(); at += 4) {  // header fields: sector counts and starts
        Bytes flipped = good;
        flipped[at] ^= 0xFF;
        variants.push_back(flipped);
    }
    for (const Bytes& bytes : variants) {
        writeFile(damaged, bytes);
        CStorage storage;
        CFileException error;
        if (!storage.Open(damaged.c_str(), kReadOnly, nullptr, &error))
            continue;  // refused with a file exception
        COleStream stream;
        if (stream.OpenStream(storage.GetStorage(), "Settings", kReadOnly, &error)) {
            EXPECT_LE(stream.GetLength(), 20000u);
        }
    }
}

TEST_F(CompoundStorage, NamesSurviveTheWideCharacterRoundTrip)
{
    for (const char* name : {"plain.dat", "caf\xc3\xa9.dat", "\xe2\x82\xac", "\xf0\x9f\x93\x81", "bad\xff\xfe", "\xc0\xaf",
                             "\xed\xa0\x80"}) {
        std::wstring wide = StorageNameToWide(name);
        EXPECT_EQ(CString(name), StorageNameFromWide(wide.c_str())) << name;
    }
    EXPECT_EQ(std::wstring(L"caf\u00e9"), StorageNameToWide("caf\xc3\xa9"));
}

TEST_F(CompoundStorage, ClassesAreCreatedByName)
{
    for (const char* name : {"CStorage", "COleStream"}) {
        std::unique_ptr<CObject> object(CRuntimeClass::CreateObject(name));
        ASSERT_NE(nullptr, object) << name;
        EXPECT_STREQ(name, object->GetRuntimeClass()->m_lpszClassName);
    }
    std::unique_ptr<CObject> stream(CRuntimeClass::CreateObject("COleStream"));
    EXPECT_TRUE(stream->IsKindOf(RUNTIME_CLASS(CFile)));
}
