#pragma once
// Helpers of the cipher tests: hex conversion and the key = value vector
// files under tests/data/crypto/ciphers (records separated by blank lines,
// # starts a comment).
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

using Bytes = std::vector<unsigned char>;

inline Bytes hexBytes(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back((unsigned char)std::stoul(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline std::string toHex(const unsigned char* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline std::string toHex(const Bytes& b)
{
    return toHex(b.data(), b.size());
}

using Record = std::map<std::string, std::string>;

inline std::vector<Record> readVectors(const std::string& name)
{
    std::ifstream in(std::string(VC_TEST_DATA) + "/crypto/ciphers/" + name);
    std::vector<Record> records;
    Record current;
    std::string line;
    auto flush = [&] {
        if (!current.empty())
            records.push_back(current);
        current.clear();
    };
    while (std::getline(in, line)) {
        if (line.empty()) {
            flush();
            continue;
        }
        if (line[0] == '#')
            continue;
        const size_t eq = line.find(" = ");
        if (eq != std::string::npos)
            current[line.substr(0, eq)] = line.substr(eq + 3);
    }
    flush();
    return records;
}

// Runs f and reports whether it threw the shared CUnlockException.
template <class F>
bool throwsUnlock(F f)
{
    try {
        f();
    } catch (CUnlockException* e) {
        e->Delete();
        return true;
    }
    return false;
}
