// The archive's stored encodings, byte for byte: files written by the
// original host must stay readable.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/afx.h"
#include "support/der_helpers.h"

// Classes of the ownership tests (outside the anonymous namespace, as the
// archive operators their macros declare are not all used). Records count
// themselves, so that a leak or a double free shows in the count as well as
// under the sanitizers.
class CCountedRecord : public CObject {
    DECLARE_SERIAL(CCountedRecord)
public:
    CCountedRecord() { ++live; }
    ~CCountedRecord() override { --live; }
    void Serialize(CArchive& ar) override { ar.IsStoring() ? ar << m_value : ar >> m_value; }
    WORD m_value = 0;
    static int live;
};
int CCountedRecord::live = 0;
IMPLEMENT_SERIAL(CCountedRecord, CObject, 1)

// Owns the objects of its array, as a host's document class does.
class CRecordList : public CObject {
    DECLARE_SERIAL(CRecordList)
public:
    ~CRecordList() override
    {
        for (int i = 0; i < m_items.GetSize(); ++i)
            delete m_items[i];
    }
    void Serialize(CArchive& ar) override { m_items.Serialize(ar); }
    CObArray m_items;
};
IMPLEMENT_SERIAL(CRecordList, CObject, 1)

// Fails its own load after reading a nested object (which it then frees).
class CFailingHolder : public CObject {
    DECLARE_SERIAL(CFailingHolder)
public:
    void Serialize(CArchive& ar) override
    {
        std::unique_ptr<CObject> nested(ar.ReadObject(nullptr));
        AfxThrowArchiveException(CArchiveException::badSchema);
    }
};
IMPLEMENT_SERIAL(CFailingHolder, CObject, 1)

namespace {

template <class Store>
std::string stored(Store store)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        store(ar);
    }
    return hexOf(file.GetBufferPointer(), file.GetLength());
}

TEST(ArchiveEncoding, IntegersAreLittleEndian)
{
    EXPECT_EQ(stored([](CArchive& ar) { ar << (BYTE)0xAB; }), "AB");
    EXPECT_EQ(stored([](CArchive& ar) { ar << (WORD)0x1234; }), "34 12");
    EXPECT_EQ(stored([](CArchive& ar) { ar << (DWORD)0x12345678; }), "78 56 34 12");
    EXPECT_EQ(stored([](CArchive& ar) { ar << (LONG)-2; }), "FE FF FF FF");
}

TEST(ArchiveEncoding, Counts)
{
    struct Case {
        DWORD count;
        const char* bytes;
    } cases[] = {
        {0, "00 00"},
        {0xFFFE, "FE FF"},
        {0xFFFF, "FF FF FF FF 00 00"},
        {0x12345, "FF FF 45 23 01 00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stored([&](CArchive& ar) { ar.WriteCount(c.count); }), c.bytes) << c.count;
        Bytes bytes = hexBytes(c.bytes);
        CMemFile file(bytes.data(), (UINT)bytes.size(), 0);
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(ar.ReadCount(), c.count);
    }
}

TEST(ArchiveEncoding, StringLengthForms)
{
    struct Case {
        int length;
        const char* prefix;
    } cases[] = {
        {0, "00"},
        {3, "03"},
        {254, "FE"},
        {255, "FF FF 00"},
        {0xFFFD, "FF FD FF"},
        {0xFFFE, "FF FF FF FE FF 00 00"},
        {0x10000, "FF FF FF 00 00 01 00"},
    };
    for (const auto& c : cases) {
        CString text('x', c.length);
        std::string bytes = stored([&](CArchive& ar) { ar << text; });
        std::string prefix = c.prefix;
        EXPECT_EQ(bytes.substr(0, prefix.size()), prefix) << c.length;
        EXPECT_EQ(bytes.size(), prefix.size() + 3 * (size_t)c.length) << c.length;

        Bytes raw = hexBytes(bytes);
        CMemFile file(raw.data(), (UINT)raw.size(), 0);
        CArchive ar(&file, CArchive::load);
        CString back;
        ar >> back;
        EXPECT_EQ(back, text);
    }
}

TEST(ArchiveEncoding, ArraysAreCountThenElements)
{
    CByteArray bytes;
    bytes.Add(1);
    bytes.Add(2);
    EXPECT_EQ(stored([&](CArchive& ar) { bytes.Serialize(ar); }), "02 00 01 02");
    CStringArray strings;
    strings.Add("ab");
    strings.Add("");
    EXPECT_EQ(stored([&](CArchive& ar) { strings.Serialize(ar); }), "02 00 02 61 62 00");
    CWordArray words;
    words.Add(0x0102);
    EXPECT_EQ(stored([&](CArchive& ar) { words.Serialize(ar); }), "01 00 02 01");

    Bytes raw = hexBytes("02 00 02 61 62 00");
    CMemFile file(raw.data(), (UINT)raw.size(), 0);
    CArchive ar(&file, CArchive::load);
    CStringArray loaded;
    loaded.Serialize(ar);
    ASSERT_EQ(loaded.GetSize(), 2);
    EXPECT_EQ(loaded[0], "ab");
}

TEST(ArchiveEncoding, TruncatedAndHostileInput)
{
    struct Case {
        const char* reason;
        const char* bytes;
    } cases[] = {
        {"string cut short", "05 61 62"},
        {"string length beyond the data", "FF FF FF FF FF FF 7F 61"},
        {"word cut short", "FF 01"},
    };
    for (const auto& c : cases) {
        Bytes raw = hexBytes(c.bytes);
        CMemFile file(raw.data(), (UINT)raw.size(), 0);
        CArchive ar(&file, CArchive::load);
        CString text;
        try {
            ar >> text;
            ADD_FAILURE() << c.reason;
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, CArchiveException::endOfFile) << c.reason;
            e->Delete();
        }
    }
    Bytes hugeCount = hexBytes("FF FF FF FF FF 0F 01 02");
    CMemFile file(hugeCount.data(), (UINT)hugeCount.size(), 0);
    CArchive ar(&file, CArchive::load);
    CByteArray bytes;
    EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { bytes.Serialize(ar); }));
    EXPECT_EQ(bytes.GetSize(), 0);
}

TEST(ArchiveEncoding, WrongDirectionIsRefused)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    BYTE b;
    try {
        ar >> b;
        ADD_FAILURE();
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::writeOnly);
        e->Delete();
    }
}

// A class created by name when an archive is read.
class CSampleRecord : public CObject {
    DECLARE_SERIAL(CSampleRecord)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_value;
        else
            ar >> m_value;
    }
    WORD m_value = 0;
};
IMPLEMENT_SERIAL(CSampleRecord, CObject, 1)

TEST(ArchiveObjects, ClassesAndObjectsByNameAndIndex)
{
    CSampleRecord first, second;
    first.m_value = 0x0A0B;
    second.m_value = 0x0C0D;
    std::string bytes = stored([&](CArchive& ar) {
        ar << &first << &second << &first << (CObject*)nullptr;
    });
    // new class: FFFF, schema 1, name; object; then the class by index 1
    // (0x8001), then the first object again by its index 2, then null.
    EXPECT_EQ(bytes,
              "FF FF 01 00 0D 00 43 53 61 6D 70 6C 65 52 65 63 6F 72 64 0B 0A "
              "01 80 0D 0C 02 00 00 00");

    Bytes raw = hexBytes(bytes);
    CMemFile file(raw.data(), (UINT)raw.size(), 0);
    CArchive ar(&file, CArchive::load);
    CSampleRecord *a = nullptr, *b = nullptr, *c = nullptr;
    ar >> a >> b >> c;
    CObject* none = ar.ReadObject(nullptr);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->m_value, 0x0A0B);
    EXPECT_EQ(b->m_value, 0x0C0D);
    EXPECT_EQ(c, a);
    EXPECT_EQ(none, nullptr);
    delete a;
    delete b;
}

TEST(ArchiveObjects, UnknownClassAndBadIndex)
{
    struct Case {
        const char* bytes;
        int cause;
    } cases[] = {
        {"FF FF 01 00 05 00 43 4E 6F 6E 65", CArchiveException::badClass},
        {"05 00", CArchiveException::badIndex},
        {"02 80", CArchiveException::badIndex},
        {"FF FF 07 00 0D 00 43 53 61 6D 70 6C 65 52 65 63 6F 72 64", CArchiveException::badSchema},
    };
    for (const auto& c : cases) {
        Bytes raw = hexBytes(c.bytes);
        CMemFile file(raw.data(), (UINT)raw.size(), 0);
        CArchive ar(&file, CArchive::load);
        try {
            delete ar.ReadObject(nullptr);
            ADD_FAILURE() << c.bytes;
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, c.cause) << c.bytes;
            e->Delete();
        }
    }
}

TEST(RuntimeClass, CreationByName)
{
    CObject* object = CRuntimeClass::CreateObject("CSampleRecord");
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CSampleRecord)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_TRUE(object->IsSerializable());
    delete object;
    EXPECT_EQ(CRuntimeClass::CreateObject("CNoSuchClass"), nullptr);
    EXPECT_NE(CRuntimeClass::FromName("CByteArray"), nullptr);  // registered by the platform library
}

TEST(ArchiveOwnership, AnObjectArrayCutShortFreesWhatItLoaded)
{
    CCountedRecord a, b;
    CRecordList list;
    list.m_items.Add(&a);
    list.m_items.Add(&a);  // the same object twice: stored once, then by index
    list.m_items.Add(&b);
    list.m_items.Add(new CCountedRecord);
    std::string whole = stored([&](CArchive& ar) { ar << &list; });
    list.m_items.RemoveAt(0, 3);
    Bytes bytes = hexBytes(whole);

    struct Case {
        const char* load;
        std::function<void(CArchive&)> run;
    } cases[] = {
        {"array loaded in place", [](CArchive& ar) {
             ar.ReadClass();  // the list's class; its array follows
             CObArray items;
             try {
                 items.Serialize(ar);
             } catch (CException*) {
                 EXPECT_EQ(items.GetSize(), 0);
                 throw;
             }
         }},
        {"array inside an object made by name", [](CArchive& ar) { delete ar.ReadObject(nullptr); }},
    };
    int before = CCountedRecord::live;
    for (const Case& c : cases) {
        // Cut inside the last record, and inside the one before it.
        for (size_t cut : {bytes.size() - 1, bytes.size() - 5}) {
            CMemFile file(bytes.data(), (UINT)cut, 0);
            CArchive ar(&file, CArchive::load);
            EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { c.run(ar); })) << c.load;
            EXPECT_EQ(CCountedRecord::live, before) << c.load << " cut at " << cut;
        }
    }
}

TEST(ArchiveOwnership, AReferenceToAnObjectWhoseLoadFailedIsABadIndex)
{
    // Holder (index 2) holding a record (class 3, object 4); then references
    // to the holder and to the record.
    std::string holderClass = stored([](CArchive& ar) { ar.WriteClass(RUNTIME_CLASS(CFailingHolder)); });
    std::string recordClass = stored([](CArchive& ar) { ar.WriteClass(RUNTIME_CLASS(CCountedRecord)); });
    Bytes bytes = hexBytes(holderClass + " " + recordClass + " 01 00  02 00  04 00");
    CMemFile file(bytes.data(), (UINT)bytes.size(), 0);
    CArchive ar(&file, CArchive::load);
    EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { ar.ReadObject(nullptr); }));
    for (int reference = 0; reference < 2; ++reference) {
        try {
            ar.ReadObject(nullptr);
            ADD_FAILURE() << "reference " << reference << " gave a freed object";
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, CArchiveException::badIndex);
            e->Delete();
        }
    }
}

// Bytes in a pipe: a stream that cannot tell its length.
struct PipeOf {
    explicit PipeOf(const Bytes& bytes)
    {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), (ssize_t)bytes.size());
        close(fds[1]);
        fd = fds[0];
    }
    ~PipeOf() { close(fd); }
    int fd;
};

struct CountedByte {
    CountedByte() { ++made; }
    BYTE value = 0;
    static long made;
};
long CountedByte::made = 0;
CArchive& operator>>(CArchive& ar, CountedByte& b) { return ar >> b.value; }
CArchive& operator<<(CArchive& ar, const CountedByte& b) { return ar << b.value; }

long peakKilobytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(ArchiveOwnership, AFalseCountFromAStreamCostsOnlyWhatArrives)
{
    // A million elements announced, three sent.
    PipeOf elements(hexBytes("FF FF 40 42 0F 00 01 02 03"));
    CFile elementsFile(elements.fd);
    CArchive elementsArchive(&elementsFile, CArchive::load);
    CArray<CountedByte, const CountedByte&> array;
    EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { array.Serialize(elementsArchive); }));
    EXPECT_LE(CountedByte::made, 2048);
    EXPECT_EQ(array.GetSize(), 0);

    // A 256 MB string announced, four octets sent.
    PipeOf text(hexBytes("FF FF FF 00 00 00 10 61 62 63 64"));
    CFile textFile(text.fd);
    CArchive textArchive(&textFile, CArchive::load);
    long before = peakKilobytes();
    CString loaded;
    EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { textArchive >> loaded; }));
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);
}

}  // namespace
