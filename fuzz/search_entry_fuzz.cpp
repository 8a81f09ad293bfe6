// Reads arbitrary bytes as a search entry both ways: straight from the bytes
// (ldapReadSearchEntry) and through the general decoding (a CASN1_LDAPMessage
// and ldapParseSearchResponse). Whatever the quick reader takes, the general
// way must take too, with the same message ID and the same entry (compared
// in their stored form). Any other outcome but a crash, a hang, a leak or a
// sanitizer report is fine.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "dirlink/dirlink.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "search_entry_fuzz: %s\n", what);
        std::abort();
    }
}

struct Releaser {
    void operator()(IReferable* object) const { object->Release(); }
};

std::vector<unsigned char> stored(CSearchResult& result)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        result.Serialize(ar);
        ar.Close();
    }
    std::vector<unsigned char> bytes(file.GetLength());
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

// The general way; null when it does not take the bytes.
std::unique_ptr<CSearchResult, Releaser> decodedGenerally(const uint8_t* data, size_t size, DWORD& id)
{
    CByteArray bytes;
    bytes.SetSize((int)size);
    for (size_t i = 0; i < size; ++i)
        bytes[(int)i] = data[i];
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes);
    encoding->AddRef();
    std::unique_ptr<CASN1_LDAPMessage> message;
    try {
        message.reset(new CASN1_LDAPMessage(*encoding));
    } catch (CException* e) {
        e->Delete();
    }
    const bool whole = encoding->bytesLeft() == 0;
    encoding->Release();
    unsigned long value = 0;
    if (!message || !whole || !message->get_messageID().GetInteger(value))
        return nullptr;
    id = (DWORD)value;
    std::unique_ptr<CSearchResult, Releaser> result(CSearchResult::Create());
    if (!ldapParseSearchResponse(*message, *result))
        return nullptr;
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    std::unique_ptr<CSearchResult, Releaser> quick(CSearchResult::Create());
    DWORD quickId = 0, peekedId = 0;
    const BOOL peeked = ldapPeekMessageId(data, (unsigned long)size, peekedId);
    if (!ldapReadSearchEntry(data, (unsigned long)size, quickId, *quick))
        return 0;
    require(peeked && peekedId == quickId, "the peeked ID is the entry's");
    DWORD generalId = 0;
    std::unique_ptr<CSearchResult, Releaser> general = decodedGenerally(data, size, generalId);
    require(general != nullptr, "what the quick reader takes, the general decoding takes");
    require(general->m_kind == CSearchResult::kindEntry, "an entry both ways");
    require(generalId == quickId, "the same message ID both ways");
    require(stored(*general) == stored(*quick), "the same entry both ways");
    return 0;
}
