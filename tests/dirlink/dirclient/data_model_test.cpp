// The directory data model: stored layouts byte for byte, hostile archives,
// deep copies and the element hooks of the owning arrays.
#include <gtest/gtest.h>

#include "dirclient_test_support.h"

namespace {

struct SearchResultPtr {
    explicit SearchResultPtr(CSearchResult* r) : result(r) {}
    ~SearchResultPtr() { result->Release(); }
    CSearchResult* operator->() { return result; }
    CSearchResult& operator*() { return *result; }
    CSearchResult* result;
};

// Stored forms of the records, as hex; each also loads back to the same bytes.
const char* const kAttributeHex = "00 02 63 6E 03 00 00 01 00 01 00 00 00 61 00 01 00 02 00 00 00 62 63";
const char* const kEntryHex =
    "00 04 6F 3D 45 78 02 00 00 00 01 00 02 63 6E 03 00 00 01 00 01 00 00 00 61 00 01 00 02 00 00 00 62 63";
const char* const kResultInfoHex =
    "00 20 00 00 00 01 05 00 00 00 18 33 32 20 28 30 78 32 30 29 20 2D 20 6E 6F 53 75 63 68 4F 62 6A 65 63 74"
    " 04 6F 3D 45 78 03 6D 73 67 01 00 08 6C 64 61 70 3A 2F 2F 61";

TEST(DataModel, AttributeAndEntryLayouts)
{
    std::unique_ptr<CAttribute> cn(attributeOf("cn", {"a", "", "bc"}));
    cn->m_values[1]->Release();
    cn->m_values[1] = nullptr;
    EXPECT_EQ(kAttributeHex, hexOf(storedBytes(*cn)));

    CEntryData entry;
    entry.m_dn = "o=Ex";
    entry.m_attributes.Add(nullptr);
    entry.m_attributes.Add(cn.release());
    EXPECT_EQ(kEntryHex, hexOf(storedBytes(entry)));

    CEntryData loaded;
    loaded.m_attributes.Add(attributeOf("old", {"x"}));
    loaded.m_attributes.Add(attributeOf("gone", {"y"}));
    loaded.m_attributes.Add(attributeOf("gone too", {"z"}));
    ASSERT_EQ(0, archiveLoadCause(loaded, hexBytes(kEntryHex)));
    EXPECT_EQ("o=Ex", str(loaded.m_dn));
    ASSERT_EQ(2, loaded.m_attributes.GetSize());
    EXPECT_EQ(nullptr, loaded.m_attributes[0]) << "a null slot stays null";
    ASSERT_NE(nullptr, loaded.m_attributes[1]);
    EXPECT_EQ(nullptr, loaded.m_attributes[1]->m_values[1]);
    EXPECT_EQ("bc", textOf(loaded.m_attributes[1]->m_values[2]));
    EXPECT_EQ(kEntryHex, hexOf(storedBytes(loaded)));
}

TEST(DataModel, ModificationResultAndExtendedLayouts)
{
    CModification modification;
    modification.m_operation = CModification::opReplace;
    modification.m_attribute.m_name = "cn";
    EXPECT_EQ("00 02 00 02 63 6E 00 00 00", hexOf(storedBytes(modification)));

    CResultInfo info;
    info.m_resultCode = 32;
    info.m_totalCount = new DWORD(5);
    info.m_resultText = "32 (0x20) - noSuchObject";
    info.m_matchedDN = "o=Ex";
    info.m_errorMessage = "msg";
    info.m_referral.Add("ldap://a");
    EXPECT_EQ(kResultInfoHex, hexOf(storedBytes(info)));

    CExtResponse ext;
    ext.m_resultText.Empty();
    ext.m_responseName = "1.2";
    CUniDataHolder* holder = newValue("v");
    ext = holder;
    holder->Release();
    EXPECT_EQ("00 00 00 00 00 00 00 00 00 00 00 00 03 31 2E 32 01 00 01 00 00 00 76", hexOf(storedBytes(ext)));

    // Total count 0 stays present; no total count stays absent.
    CResultInfo zero;
    zero.m_totalCount = new DWORD(0);
    CResultInfo back;
    back.m_totalCount = new DWORD(7);
    ASSERT_EQ(0, archiveLoadCause(back, storedBytes(zero)));
    ASSERT_NE(nullptr, back.m_totalCount);
    EXPECT_EQ(0U, *back.m_totalCount);
    zero.Clear();
    ASSERT_EQ(0, archiveLoadCause(back, storedBytes(zero)));
    EXPECT_EQ(nullptr, back.m_totalCount);
    EXPECT_EQ("", str(back.m_resultText)) << "Clear empties the text too";
}

TEST(DataModel, SearchResultLayouts)
{
    SearchResultPtr reference(CSearchResult::Create());
    reference->m_kind = CSearchResult::kindReference;
    auto* urls = new CStringArray;
    urls->Add("ldap://x");
    urls->Add("ldap://y");
    reference->m_payload = urls;
    EXPECT_EQ("00 01 01 02 00 08 6C 64 61 70 3A 2F 2F 78 08 6C 64 61 70 3A 2F 2F 79", hexOf(storedBytes(*reference)));

    SearchResultPtr empty(CSearchResult::Create());
    empty->m_kind = CSearchResult::kindDone;
    EXPECT_EQ("00 02 00", hexOf(storedBytes(*empty)));

    // A list with a null slot: the results after it come back intact.
    CSearchResultArray list;
    list.Add(nullptr);
    reference->AddRef();
    list.Add(reference.result);
    list.Add(CSearchResult::Create());
    Bytes stored = storedBytes(list);
    EXPECT_EQ("03 00 00 00 01 00 01 01 02 00 08 6C 64 61 70 3A 2F 2F 78 08 6C 64 61 70 3A 2F 2F 79 01 00 00 00",
              hexOf(stored));
    CSearchResultArray loaded;
    loaded.Add(CSearchResult::Create());
    ASSERT_EQ(0, archiveLoadCause(loaded, stored));
    ASSERT_EQ(3, loaded.GetSize());
    EXPECT_EQ(nullptr, loaded[0]);
    ASSERT_NE(nullptr, loaded[1]->GetReferences());
    EXPECT_EQ("ldap://y", str(loaded[1]->GetReferences()->GetAt(1)));
    EXPECT_EQ(nullptr, loaded[2]->m_payload);
}

TEST(DataModel, HostileArchivesFailWithTheArchiveError)
{
    const int generic = CArchiveException::genericException, eof = CArchiveException::endOfFile;
    struct Case {
        const char* reason;
        const char* hex;
        int cause;
    };
    const Case attributeCases[] = {
        {"version 1", "01 02 63 6E 00 00 00", generic},
        {"presence byte 2", "00 02 63 6E 01 00 00 02", generic},
        {"array version 1", "00 02 63 6E 01 00 01 01", generic},
        {"4 billion values claimed", "00 02 63 6E FF FF FF FF FF FF 00 01", eof},
        {"value of 4 GB claimed", "00 02 63 6E 01 00 00 01 00 F0 FF FF FF 61", eof},
        {"string longer than the file", "00 FF 00 10 63", eof},
    };
    for (const Case& c : attributeCases) {
        CAttribute loaded;
        EXPECT_EQ(c.cause, archiveLoadCause(loaded, hexBytes(c.hex))) << c.reason;
    }

    CModification modification;
    modification.m_operation = CModification::opDelete;
    EXPECT_EQ(generic, archiveLoadCause(modification, hexBytes("00 03 00 02 63 6E 00 00 00")));
    EXPECT_EQ(0U, modification.m_operation) << "an operation out of range is reset to add";
    modification.m_operation = 256;
    EXPECT_TRUE(throwsAndDeletes<CArchiveException>([&] { storedBytes(modification); }))
        << "an operation one byte cannot hold is refused, not written as 0";

    CResultInfo info;
    EXPECT_EQ(generic, archiveLoadCause(info, hexBytes("00 00 00 00 00 02")));
    SearchResultPtr result(CSearchResult::Create());
    result->m_kind = CSearchResult::kindDone;
    EXPECT_EQ(generic, archiveLoadCause(*result, hexBytes("00 03 00")));
    EXPECT_EQ(CSearchResult::kindEntry, result->m_kind);
    EXPECT_EQ(generic, archiveLoadCause(*result, hexBytes("00 01 02")));
    CSearchResultArray results;
    EXPECT_EQ(generic, archiveLoadCause(results, hexBytes("01 00 00 05")));

    // Every prefix of a good entry fails cleanly and frees what it built.
    Bytes good = hexBytes(kEntryHex);
    for (size_t n = 0; n < good.size(); ++n) {
        CEntryData entry;
        EXPECT_EQ(eof, archiveLoadCause(entry, Bytes(good.begin(), good.begin() + (long)n))) << n;
    }
}

TEST(DataModel, CopiesAreDeep)
{
    CAttribute original;
    original.m_name = "cn";
    original.AddValue("a");
    original.m_values.Add(nullptr);
    CAttribute copy(original);
    ASSERT_EQ(2, copy.m_values.GetSize());
    EXPECT_NE(original.m_values[0], copy.m_values[0]);
    EXPECT_EQ(1L, referenceCount(copy.m_values[0]));
    EXPECT_EQ(nullptr, copy.m_values[1]) << "a null value slot stays null";

    SearchResultPtr done(CSearchResult::Create());
    done->m_kind = CSearchResult::kindDone;
    done->m_payload = new CResultInfo;
    done->GetResultInfo()->m_totalCount = new DWORD(3);
    CSearchResult* copied = new CSearchResult(*done);
    copied->AddRef();
    EXPECT_NE(done->GetResultInfo()->m_totalCount, copied->GetResultInfo()->m_totalCount);
    EXPECT_EQ(3U, *copied->GetResultInfo()->m_totalCount);
    EXPECT_EQ(0L, copied->Release());  // payload and object freed (ASan checks)
}

TEST(DataModel, ElementHooksDropExactlyTheSlotsCutOff)
{
    CUniDataHolder* kept = newValue("kept");
    CUniDataHolder* cut = newValue("cut");
    kept->AddRef();
    cut->AddRef();
    {
        CUniDataHolderArray values;
        values.Add(kept);
        values.Add(cut);
        values.SetSize(1);
        EXPECT_EQ(1L, referenceCount(cut)) << "shrinking releases the slot cut off";
        EXPECT_EQ(2L, referenceCount(kept));
        CUniDataHolderArray bulk(values);
        EXPECT_EQ(nullptr, bulk[0]) << "a bulk copy leaves its slots null";
    }
    EXPECT_EQ(1L, referenceCount(kept)) << "the array's destructor releases";
    kept->Release();
    cut->Release();

    CEntryData entry;
    entry.m_attributes.Add(attributeOf("cn", {"a"}));
    entry.m_attributes.Add(attributeOf("sn", {"b"}));
    entry.m_attributes.Add(attributeOf("CN", {"c"}));
    EXPECT_EQ(0, entry.FindNextAttribute(-1, "CN"));
    EXPECT_EQ(2, entry.FindNextAttribute(0, "CN"));
    EXPECT_EQ(-1, entry.FindNextAttribute(2, "CN"));
    entry.m_attributes.SetSize(1);  // destroys sn and CN (ASan checks)
    EXPECT_EQ(-1, entry.FindNextAttribute(0, "cn"));
}

TEST(DataModel, AttributeText)
{
    std::unique_ptr<CAttribute> cn(attributeOf("cn", {"Ann", "Bo"}));
    CString text;
    cn->GetString(text);
    EXPECT_EQ("cn: \"Ann\"; \"Bo\"", str(text));
    std::unique_ptr<CAttribute> photo(attributeOf("jpegPhoto", {"\xff\xd8"}));
    photo->GetString(text);
    EXPECT_EQ("jpegPhoto", str(text));
    std::unique_ptr<CAttribute> lang(attributeOf("description;lang-de", {std::string(100, 'x').c_str()}));
    lang->GetString(text);
    EXPECT_EQ("description;lang-de: \"" + std::string(80, 'x') + "\"", str(text));
}

}  // namespace
