#include "common/input_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

namespace {
int base64Value(unsigned char c)
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

bool unwrapPem(std::vector<unsigned char>& bytes, std::string& error)
{
    std::string text(bytes.begin(), bytes.end());
    size_t begin = text.find("-----BEGIN ");
    if (begin == std::string::npos)
        return true;
    size_t bodyStart = text.find('\n', begin);
    size_t end = text.find("-----END ", begin);
    if (bodyStart == std::string::npos || end == std::string::npos || end < bodyStart) {
        error = "PEM armour without its END line";
        return false;
    }
    std::vector<unsigned char> der;
    unsigned int accumulator = 0;
    int bits = 0;
    bool padding = false;
    for (size_t i = bodyStart; i < end; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t')
            continue;
        if (c == '=') {
            padding = true;
            continue;
        }
        int value = base64Value(c);
        if (value < 0 || padding) {
            error = "PEM body is not valid base64";
            return false;
        }
        accumulator = (accumulator << 6) | (unsigned)value;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            der.push_back((unsigned char)(accumulator >> bits));
        }
    }
    if (der.empty()) {
        error = "PEM block is empty";
        return false;
    }
    bytes.swap(der);
    return true;
}
