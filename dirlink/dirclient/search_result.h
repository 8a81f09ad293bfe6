#pragma once
// CSearchResult: one element of a search answer, an entry, a continuation
// reference or the closing result.
#include "dirlink/dirclient/entry_data.h"
#include "dirlink/dirclient/result_info.h"

class DIRLINK_API CSearchResult : public IReferable {
public:
    // Values of m_kind.
    enum { kindEntry = 0, kindReference = 1, kindDone = 2 };

    // A new empty result (kind entry, no payload) with count 1.
    static CSearchResult* Create();
    // Copies the kind and deep-copies the payload; the copy starts with
    // count 0 (the caller takes its first reference with AddRef).
    CSearchResult(const CSearchResult& other);
    CSearchResult& operator=(const CSearchResult& other);

    // Destroys the payload according to the kind; the kind stays.
    void Clear() override;
    // Archive form: u8 version 0, u8 kind, u8 payload flag and (when 1) the
    // payload's form: the CEntryData form, the string-array form or the
    // CResultInfo form. Loading clears first. A kind outside 0..2 is refused
    // on writing and on reading (reading one leaves kind 0) with the
    // archive's generic error.
    void Serialize(CArchive& ar);

    // Convenience beyond the record: the payload as what the kind says, or
    // null when the kind differs or there is none.
    CEntryData* GetEntry() const;
    CStringArray* GetReferences() const;
    CResultInfo* GetResultInfo() const;

    int32_t m_kind;   // kindEntry, kindReference or kindDone
    void* m_payload;  // owned: CEntryData, CStringArray of URLs or CResultInfo; may be null

protected:
    CSearchResult();
    ~CSearchResult() override;
};

// Arrays of search results: DestructElements releases each non-null result
// and nulls its slot; CopyElements copies nothing; SerializeElements writes
// u8 version 0 and per slot a presence byte (1 and the result's form, 0 for
// a null slot). Loading releases what a slot held, then makes a new result
// for every present one.
typedef CArray<CSearchResult*, CSearchResult*> CSearchResultArray;
template <>
DIRLINK_API void DestructElements<CSearchResult*>(CSearchResult** elements, int count);
template <>
DIRLINK_API void CopyElements<CSearchResult*>(CSearchResult** dest, CSearchResult* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CSearchResult*>(CArchive& ar, CSearchResult** elements, int count);
