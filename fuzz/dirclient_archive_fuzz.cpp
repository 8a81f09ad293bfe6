// Loads the directory client's stored layouts from arbitrary bytes: the first
// byte picks the class, the rest is the archive. A load that succeeds must
// store again to bytes that load and store to the same bytes; a loaded
// filter tree must also survive its text forms, checks, simplification,
// copies and conversion into a search request. Any failure must be the
// archive's own exception; a crash, leak or sanitizer report is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "dirlink/dirlink.h"

namespace {

std::vector<unsigned char> store(void (*serialize)(void*, CArchive&), void* object)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        serialize(object, ar);
        ar.Close();
    }
    std::vector<unsigned char> bytes(file.GetLength());
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

bool load(void (*serialize)(void*, CArchive&), void* object, const uint8_t* data, size_t size)
{
    CMemFile file;
    file.Write(data, (UINT)size);
    file.SeekToBegin();
    try {
        CArchive ar(&file, CArchive::load);
        serialize(object, ar);
        return true;
    } catch (CArchiveException* e) {
        e->Delete();
        return false;
    }
}

template <class T>
void serializeAs(void* object, CArchive& ar)
{
    static_cast<T*>(object)->Serialize(ar);
}

// Reference-counted classes come from their factory.
template <class T>
T* make()
{
    return new T;
}
template <>
CUniDataHolder* make<CUniDataHolder>()
{
    return CUniDataHolder::Create(256);
}
template <>
CSearchResult* make<CSearchResult>()
{
    return CSearchResult::Create();
}
template <class T>
void dispose(T* object)
{
    delete object;
}
template <>
void dispose<CUniDataHolder>(CUniDataHolder* object)
{
    object->Release();
}
template <>
void dispose<CSearchResult>(CSearchResult* object)
{
    object->Release();
}

void exerciseFilter(CSearchFilter& filter)
{
    CString text;
    filter.GetString(text, 1);
    filter.GetString(text, 0);
    filter.IsComplete(0);
    filter.IsComplete(1);
    CSearchFilter copy(filter);
    CStringArray attributes;
    attributes.Add("cn");
    CByteArray request;
    ldapCreateSearchRequest(1, "o=x", 2, 0, 0, 0, 5, 0, copy, attributes, request, 0);
    copy.EliminateRedundancy();
    CSearchFilter moved;
    moved.GetDataFrom(copy);
}

template <class T>
void roundTrip(const uint8_t* data, size_t size)
{
    T* object = make<T>();
    if (load(serializeAs<T>, object, data, size)) {
        std::vector<unsigned char> first = store(serializeAs<T>, object);
        T* again = make<T>();
        if (!load(serializeAs<T>, again, first.data(), first.size())) {
            std::fprintf(stderr, "dirclient_archive_fuzz: stored form does not load again\n");
            std::abort();
        }
        if (store(serializeAs<T>, again) != first) {
            std::fprintf(stderr, "dirclient_archive_fuzz: stored form is not stable\n");
            std::abort();
        }
        if constexpr (std::is_same<T, CSearchFilter>::value)
            exerciseFilter(*again);
        dispose(again);
    }
    dispose(object);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t* archive = data + 1;
    const size_t length = size - 1;
    switch (data[0] % 12) {
    case 0: roundTrip<CUniDataHolder>(archive, length); break;
    case 1: roundTrip<CAttribute>(archive, length); break;
    case 2: roundTrip<CEntryData>(archive, length); break;
    case 3: roundTrip<CModification>(archive, length); break;
    case 4: roundTrip<CResultInfo>(archive, length); break;
    case 5: roundTrip<CExtResponse>(archive, length); break;
    case 6: roundTrip<CSearchResult>(archive, length); break;
    case 7: roundTrip<CSearchResultArray>(archive, length); break;
    case 8: roundTrip<CSearchFilter>(archive, length); break;
    case 9: roundTrip<CSubstringFilter>(archive, length); break;
    case 10: roundTrip<CMatchingRuleAssertion>(archive, length); break;
    default: roundTrip<CAttributeValueAssertion>(archive, length); break;
    }
    return 0;
}
