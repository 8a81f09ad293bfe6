// Feeds arbitrary bytes to the generic DER decoder, as a stream of values.
// The first value, when it decodes, must take exactly the octets its headers
// declare at every level, encode the same way twice, re-encode, compare
// equal to its clone, dump and hand out its clear contents without failing,
// and its re-encoding must decode again (a universal tag 0 component of
// length 0 re-encodes as an end-of-contents marker, so the second reading may
// end early, but never badly). None of that may move the stream: the next
// value then decodes as it does alone. Anything else must end in the
// decoding exception.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "der_invariants.h"
#include "vaultcore/vaultcore.h"

namespace {

CASN1Type* decodeGeneric(CDEREncoding& encoding)
{
    return ___buildFromEncoding(encoding);
}

// Everything that only reads a decoded value.
void workWith(const CASN1Type& value)
{
    CByteArray again;
    value.encodeTo(again);
    CDEREncoding* second = new CDEREncoding(TRUE, again);
    second->AddRef();
    der_invariants::decodeOne(*second, decodeGeneric);
    second->Release();
    std::unique_ptr<CASN1Type> copy(value.clone());
    if (___cmp(*copy, value) != 0)
        abort();
    CMemFile listing;
    value.Dump(0, &listing);
    CByteArray clear;
    value.GetClearData(clear, TRUE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 1 << 20)
        return 0;
    CDEREncoding* stream = new CDEREncoding(TRUE, const_cast<uint8_t*>(data), size, FALSE, TRUE);
    stream->AddRef();
    try {
        std::unique_ptr<CASN1Type> value(___buildFromEncoding(*stream));
        der_invariants::checkBounds(data, size, *value, stream->GetPosition());
        der_invariants::checkStableEncoding(*value);
        workWith(*value);
        der_invariants::checkNextDecodesAlone(*stream, data, size, decodeGeneric);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
    stream->Release();
    return 0;
}
