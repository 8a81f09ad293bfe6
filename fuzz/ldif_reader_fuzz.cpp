// Reads arbitrary text as LDIF. Every record read must write back (its own
// kind of record) to text that reads to the same record. Any outcome but
// that check failing, a crash, a hang, a leak or a sanitizer report is fine.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "dirlink/dirlink.h"

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "ldif_reader_fuzz: %s\n", what);
        std::abort();
    }
}

CString written(const CLdifRecord& record)
{
    CString out;
    require(WriteLdifRecord(record, out) == TRUE, "a record read writes");
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384)
        return 0;
    CLdifReader reader{CString((const char*)data, (int)size)};
    CLdifRecord record;
    int status;
    while ((status = reader.ReadRecord(record)) == CLdifReader::ldifRecord) {
        CString text = written(record);
        CLdifReader again(text);
        CLdifRecord back;
        require(again.ReadRecord(back) == CLdifReader::ldifRecord, "written text reads");
        require(written(back) == text, "written text reads to the same record");
        require(again.ReadRecord(back) == CLdifReader::ldifEnd, "written text holds one record");
    }
    require(status == CLdifReader::ldifEnd || reader.m_errorLine >= 1, "errors name their line");
    return 0;
}
