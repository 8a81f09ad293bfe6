#pragma once
// Hand-built DER for the expectations: tag-length-value by hand, so that
// the builders are checked against an encoder that is not their own.
#include <string>

#include "dirclient_test_support.h"

namespace ber {

inline std::string tlv(unsigned char tag, const std::string& contents)
{
    std::string out(1, (char)tag);
    size_t n = contents.size();
    if (n < 0x80) {
        out += (char)n;
    } else if (n < 0x100) {
        out += (char)0x81;
        out += (char)n;
    } else {
        out += (char)0x82;
        out += (char)(n >> 8);
        out += (char)n;
    }
    return out + contents;
}

inline std::string ostr(const std::string& text, unsigned char tag = 0x04)
{
    return tlv(tag, text);
}

// Small non-negative INTEGER or ENUMERATED.
inline std::string num(unsigned long value, unsigned char tag = 0x02)
{
    std::string bytes;
    do {
        bytes.insert(bytes.begin(), (char)(value & 0xFF));
        value >>= 8;
    } while (value);
    if ((unsigned char)bytes[0] & 0x80)
        bytes.insert(bytes.begin(), '\0');
    return tlv(tag, bytes);
}

inline std::string boolean(bool value)
{
    return tlv(0x01, std::string(1, value ? '\xFF' : '\0'));
}

inline std::string message(unsigned long id, const std::string& operation)
{
    return tlv(0x30, num(id) + operation);
}

// The fixed head of the search requests below: base, scope, deref, limits, typesOnly.
inline std::string searchHead(const std::string& base, unsigned long scope)
{
    return ostr(base) + num(scope, 0x0A) + num(0, 0x0A) + num(0) + num(0) + boolean(false);
}

inline std::string hex(const std::string& bytes)
{
    return hexOf((const unsigned char*)bytes.data(), bytes.size());
}

}  // namespace ber
