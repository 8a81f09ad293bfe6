// Feeds arbitrary bytes to the generic DER decoder. A value that decodes
// must re-encode, compare equal to its clone, dump and hand out its clear
// contents without failing, and its re-encoding must decode again (a
// universal tag 0 component of length 0 re-encodes as an end-of-contents
// marker, so the second reading may end early, but never badly); anything
// else must end in the decoding exception.
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
        CByteArray again;
        value->encodeTo(again);
        CDEREncoding* second = new CDEREncoding(TRUE, again);
        second->AddRef();
        try {
            std::unique_ptr<CASN1Type> reread(___buildFromEncoding(*second));
        } catch (CDERDecodingException* e) {
            second->Release();
            throw;
        }
        second->Release();
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
