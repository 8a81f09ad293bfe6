// The value holder: buffer rules, matching primitives, stored layout and
// hostile archives.
#include <gtest/gtest.h>

#include <unistd.h>

#include "dirclient_test_support.h"

namespace {

TEST(ValueHolder, BufferRules)
{
    HolderPtr holder(CUniDataHolder::Create(256));
    EXPECT_EQ(256UL, holder->GetSize());
    const unsigned char* buffer = holder->GetData();
    holder->Put("ab");
    EXPECT_EQ(2UL, holder->GetSize());
    EXPECT_EQ(buffer, holder->GetData()) << "a Put that fits reuses the buffer";
    holder->Put("", 0UL);
    EXPECT_EQ(0UL, holder->GetSize());
    EXPECT_EQ(buffer, holder->GetData()) << "Put of nothing keeps the buffer";

    HolderPtr five = value("hello");
    five->Append("abc");
    EXPECT_EQ("helloabc", textOf(five.get()));
    // Appending a holder to itself reads the old buffer before freeing it.
    five->Append(*five, five->GetSize());
    EXPECT_EQ("helloabchelloabc", textOf(five.get()));

    HolderPtr target = value("x");
    five->Get(*target, 3, 5);
    EXPECT_EQ("abc", textOf(target.get()));
}

TEST(ValueHolder, GetNeverReadsBeyondTheValue)
{
    HolderPtr holder = value("hello");
    char buffer[8] = {};
    EXPECT_EQ(0UL, holder->Get(buffer, 4, 5)) << "offset = size";
    EXPECT_EQ(0UL, holder->Get(buffer, 4, 9)) << "offset beyond size";
    EXPECT_EQ(2UL, holder->Get(buffer, 8, 3));
    CString text("unchanged");
    EXPECT_EQ(3UL, holder->Get(text, 40, 2));
    EXPECT_EQ("llo", str(text)) << "a string longer than the value would show memory never written";
    HolderPtr empty(CUniDataHolder::Create(0));
    EXPECT_EQ(0UL, empty->Get(text, 10, 0));
    EXPECT_EQ("", str(text));
}

TEST(ValueHolder, Matching)
{
    struct CmpCase {
        const char* held;
        unsigned long offset;
        const char* given;
        int expected;
    } cmpCases[] = {
        {"abd", 0, "abc", 1}, {"ab", 0, "abc", -1}, {"abc", 0, "abc", 0}, {"xabc", 1, "abc", 0},
        {"abc", 3, "", 0},    {"abc", 9, "", 0},    {"\x80", 0, "\x7f", 1},
    };
    for (const CmpCase& c : cmpCases)
        EXPECT_EQ(c.expected, value(c.held)->Cmp(c.offset, (const unsigned char*)c.given, strlen(c.given)))
            << c.held << " vs " << c.given;

    HolderPtr hello = value("hello");
    struct SubCase {
        int start;
        const char* pattern;
        int expected;
    } subCases[] = {{0, "lo", 3}, {4, "lo", -1}, {0, "", 1}, {3, "", 1}, {0, "hello!", -1}, {0, "l", 2}, {3, "l", 3},
                    {-2, "he", 0}};
    for (const SubCase& c : subCases)
        EXPECT_EQ(c.expected, hello->HasSubstring(c.start, *value(c.pattern))) << c.start << " " << c.pattern;

    EXPECT_EQ(1, hello->HasInitial(*value("")));
    EXPECT_EQ(1, hello->HasInitial(*value("he")));
    EXPECT_EQ(0, hello->HasInitial(*value("hello!")));
    EXPECT_EQ(1, hello->HasFinal(*value("")));
    EXPECT_EQ(1, hello->HasFinal(*value("llo")));
    EXPECT_EQ(0, hello->HasFinal(*value("hhello")));

    EXPECT_EQ(1, MatchEquality("member", *value("CN=Ann, O=Firm"), *value("cn=ann,o=firm")));
    EXPECT_EQ(0, MatchEquality("cn", *value("Ann"), *value("ann")));
}

TEST(ValueHolder, OwnershipTransfer)
{
    HolderPtr holder = value("old");
    void* buffer = std::malloc(4);
    std::memcpy(buffer, "abcd", 4);
    holder->Attach(buffer, 4);
    EXPECT_EQ("abcd", textOf(holder.get()));
    EXPECT_EQ(buffer, holder->Detach());
    EXPECT_EQ(0UL, holder->GetSize());
    EXPECT_EQ(nullptr, holder->GetData());
    holder->Attach(buffer, 4);  // freed by the holder's release (ASan checks)

    HolderPtr clone(holder->Clone());
    EXPECT_EQ(1L, referenceCount(clone.get()));
    EXPECT_EQ("abcd", textOf(clone.get()));
}

TEST(ValueHolder, StoredLayout)
{
    HolderPtr holder = value("abc");
    EXPECT_EQ("00 03 00 00 00 61 62 63", hexOf(storedBytes(*holder)));
    HolderPtr loaded(CUniDataHolder::Create(256));
    EXPECT_EQ(0, archiveLoadCause(*loaded, hexBytes("00 03 00 00 00 61 62 63")));
    EXPECT_EQ("abc", textOf(loaded.get()));

    struct Hostile {
        const char* reason;
        const char* hex;
        int cause;
    } cases[] = {
        {"version 1", "01 03 00 00 00 61 62 63", CArchiveException::genericException},
        {"size beyond the bytes", "00 04 00 00 00 61 62 63", CArchiveException::endOfFile},
        {"4 GB claimed, 4 bytes held", "00 F0 FF FF FF 61 62 63 64", CArchiveException::endOfFile},
        {"no size", "00 03 00", CArchiveException::endOfFile},
    };
    for (const Hostile& c : cases)
        EXPECT_EQ(c.cause, archiveLoadCause(*loaded, hexBytes(c.hex))) << c.reason;
}

TEST(ValueHolder, HugeClaimFromAPipeAllocatesOnlyWhatArrives)
{
    // A pipe cannot tell its length, so only the reads find out.
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    Bytes stored = hexBytes("00 F0 FF FF FF 61 62 63 64");
    ASSERT_EQ((ssize_t)stored.size(), write(fds[1], stored.data(), stored.size()));
    close(fds[1]);
    CFile in(fds[0]);
    HolderPtr holder(CUniDataHolder::Create(0));
    int cause = 0;
    try {
        CArchive ar(&in, CArchive::load);
        holder->Serialize(ar);
    } catch (CArchiveException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    close(fds[0]);
    EXPECT_EQ(CArchiveException::endOfFile, cause);
    EXPECT_EQ("abcd", textOf(holder.get()));
}

}  // namespace
