#include "dirlink/dirclient/base64_text.h"

namespace dirclient {

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digitValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
}  // namespace

std::string base64Encode(const unsigned char* data, size_t size)
{
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const unsigned long group = ((unsigned long)data[i] << 16) | (i + 1 < size ? (unsigned long)data[i + 1] << 8 : 0) |
                                    (i + 2 < size ? (unsigned long)data[i + 2] : 0);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < size ? kAlphabet[group & 63] : '=';
    }
    return out;
}

bool base64Decode(const char* text, size_t length, std::string& out)
{
    out.clear();
    unsigned long group = 0;
    int digits = 0, padding = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c == '=') {
            // Padding completes the last group only.
            if (digits < 2 || ++padding + digits > 4)
                return false;
            continue;
        }
        const int value = digitValue(c);
        if (value < 0 || padding)
            return false;
        group = (group << 6) | (unsigned long)value;
        if (++digits == 4) {
            out += (char)(group >> 16);
            out += (char)(group >> 8);
            out += (char)group;
            group = 0;
            digits = 0;
        }
    }
    if (padding) {
        if (digits + padding != 4)
            return false;
        group <<= 6 * padding;
        out += (char)(group >> 16);
        if (digits == 3)
            out += (char)(group >> 8);
        return true;
    }
    return digits == 0;
}

}  // namespace dirclient
