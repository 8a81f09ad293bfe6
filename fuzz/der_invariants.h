#pragma once
// Invariants the DER harnesses check on every input the decoder accepts.
// A broken invariant aborts, which libFuzzer reports with the input.
//  - Bounds: an independent walk over the identifier and length octets finds
//    the same value size and, at every level, the same components: each
//    constructed value's components fill exactly the octets its length
//    declares.
//  - Stable encoding: encoding a decoded value twice gives the same octets.
//  - Streams: after a value was decoded and worked with, the next value of
//    the same stream decodes as it does from its own octets alone.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "vaultcore/vaultcore.h"

namespace der_invariants {

// The size of the value at data, read from its identifier and length octets
// only, or -1 when they do not describe a well-formed value inside size
// octets. With decoded given, also -1 when a constructed value's component
// count differs from the decoder's.
inline long walk(const uint8_t* data, size_t size, const CASN1Type* decoded, int depth = 0)
{
    if (size < 2 || depth > 300 || (data[0] & 0x1F) == 0x1F)
        return -1;
    const bool constructed = data[0] & 0x20;
    size_t header = 2;
    size_t length = data[1];
    const bool indefinite = data[1] == 0x80;
    if (indefinite && !constructed)
        return -1;
    if (data[1] > 0x80) {
        size_t n = data[1] & 0x7F;
        if (n > 4 || 2 + n > size)
            return -1;
        length = 0;
        for (size_t i = 0; i < n; ++i)
            length = (length << 8) | data[2 + i];
        header += n;
    }
    if (!indefinite && length > size - header)
        return -1;
    if (decoded && !!decoded->isConstructed() != constructed)
        return -1;
    if (!constructed)
        return (long)(header + length);
    const auto* components = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(decoded);
    const size_t end = indefinite ? size : header + length;
    size_t at = header;
    int count = 0;
    while (indefinite ? !(at + 2 <= end && data[at] == 0 && data[at + 1] == 0) : at < end) {
        const CASN1Type* component =
            components && count < components->getComponentCount() ? components->getComponentAt(count) : nullptr;
        if (components && !component)
            return -1;
        long n = walk(data + at, end - at, component, depth + 1);
        if (n < 0)
            return -1;
        at += (size_t)n;
        ++count;
    }
    if (components && count != components->getComponentCount())
        return -1;
    return (long)(indefinite ? at + 2 : at);
}

// Aborts unless the value decoded from data took exactly the octets that its
// header and those of all its components declare.
inline void checkBounds(const uint8_t* data, size_t size, const CASN1Type& decoded, unsigned long consumed)
{
    if (walk(data, size, &decoded) != (long)consumed)
        abort();
}

inline std::string encodingOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return std::string((const char*)bytes.GetData(), (size_t)bytes.GetSize());
}

inline void checkStableEncoding(const CASN1Type& value)
{
    if (encodingOf(value) != encodingOf(value))
        abort();
}

// What decoding one value gave: its encoding, or the failure message.
struct Outcome {
    bool decoded;
    std::string text;
    bool operator==(const Outcome& other) const { return decoded == other.decoded && text == other.text; }
};

// Decodes one value from the encoding's position with decode (which returns
// the value, or throws the decoding exception).
inline Outcome decodeOne(CDEREncoding& encoding, const std::function<CASN1Type*(CDEREncoding&)>& decode)
{
    try {
        std::unique_ptr<CASN1Type> value(decode(encoding));
        return {true, encodingOf(*value)};
    } catch (CDERDecodingException* e) {
        e->Delete();
        return {false, ___lastDERDecodingMessage()};
    }
}

// Aborts unless the next value of stream decodes as the same octets do
// alone, in an encoding of their own.
inline void checkNextDecodesAlone(CDEREncoding& stream, const uint8_t* data, size_t size,
                                  const std::function<CASN1Type*(CDEREncoding&)>& decode)
{
    unsigned long position = stream.GetPosition();
    if (position >= size)
        return;
    Outcome inStream = decodeOne(stream, decode);
    CDEREncoding* alone =
        new CDEREncoding(TRUE, const_cast<uint8_t*>(data + position), size - position, FALSE, TRUE);
    alone->AddRef();
    Outcome byItself = decodeOne(*alone, decode);
    alone->Release();
    if (!(inStream == byItself))
        abort();
}

}  // namespace der_invariants
