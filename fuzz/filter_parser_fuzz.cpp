// Parses arbitrary text as a search filter. A filter that parses must print
// (protocol form) text that parses back to an equal tree, survive the other
// operations on trees, and become a search request that is a valid LDAP
// message. Any outcome but those checks failing, a crash, a hang, a leak or
// a sanitizer report is fine.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dirlink/dirlink.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "filter_parser_fuzz: %s\n", what);
        std::abort();
    }
}

std::vector<unsigned char> stored(CSearchFilter& filter)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        filter.Serialize(ar);
        ar.Close();
    }
    std::vector<unsigned char> bytes(file.GetLength());
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    CString text((const char*)data, (int)size);
    CSearchFilter filter;
    CFilterParseError error;
    if (!ParseSearchFilter(text, filter, &error)) {
        require(error.m_position >= 0 && error.m_position <= (int)size, "error position inside the text");
        require(filter.m_rule == frNull && !filter.m_data, "a failed parse leaves an empty filter");
        return 0;
    }
    CString protocol, readable;
    filter.GetString(protocol, 1);
    filter.GetString(readable, 0);
    CSearchFilter again;
    require(ParseSearchFilter(protocol, again), "the protocol form parses");
    require(stored(again) == stored(filter), "the protocol form parses to an equal tree");

    require(filter.IsComplete(0) == 1, "a parsed filter is complete");
    CStringArray attributes;
    CByteArray request;
    ldapCreateSearchRequest(7, "", 2, 0, 0, 0, 0, 0, filter, attributes, request, 0);
    // Short texts nest far less deeply than the decoder allows.
    if (size < 200) {
        CDEREncoding* encoding = new CDEREncoding(TRUE, request);
        encoding->AddRef();
        try {
            CASN1_LDAPMessage message(*encoding);
        } catch (CDERDecodingException* e) {
            e->Delete();
            require(false, "the search request is a valid message");
        }
        encoding->Release();
    }
    CSearchFilter copy(filter);
    copy.EliminateRedundancy();
    return 0;
}
