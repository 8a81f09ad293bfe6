#pragma once
// Helpers of the LDAP message tests: hex text to bytes and back, decoding
// a message from bytes, encoding a value.
#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace ldaptest {

inline std::vector<unsigned char> fromHex(const std::string& text)
{
    std::vector<unsigned char> bytes;
    std::string digits;
    for (char c : text)
        if (std::isxdigit((unsigned char)c))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back((unsigned char)std::stoul(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

inline std::string toHex(const unsigned char* data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        if (i)
            text += ' ';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

inline std::string encodeHex(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return toHex(bytes.GetData(), (size_t)bytes.GetSize());
}

// A reference-counted encoding holding a copy of the bytes, released when
// the holder goes away (values decoded from it keep their own references).
class Encoding {
public:
    explicit Encoding(const std::vector<unsigned char>& bytes)
        : m_encoding(new CDEREncoding(TRUE, const_cast<unsigned char*>(bytes.data()),
                                      (unsigned long)bytes.size(), FALSE, TRUE))
    {
        m_encoding->AddRef();
    }
    ~Encoding() { m_encoding->Release(); }
    Encoding(const Encoding&) = delete;
    Encoding& operator=(const Encoding&) = delete;
    CDEREncoding& operator*() { return *m_encoding; }

private:
    CDEREncoding* m_encoding;
};

// Decodes a value of class T; nullptr when the constructor throws.
template <class T>
std::unique_ptr<T> decode(const std::vector<unsigned char>& bytes)
{
    Encoding encoding(bytes);
    try {
        return std::unique_ptr<T>(new T(*encoding));
    } catch (CDERDecodingException* e) {
        e->Delete();
        return nullptr;
    }
}

// The generic decoder's tree of the bytes.
inline std::unique_ptr<CASN1Type> decodeGeneric(const std::vector<unsigned char>& bytes)
{
    Encoding encoding(bytes);
    return std::unique_ptr<CASN1Type>(___buildFromEncoding(*encoding));
}

inline std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The clear contents of a value as text.
inline std::string text(const CASN1Type& value)
{
    CString s;
    value.GetString(s);
    return std::string((const char*)s, (size_t)s.GetLength());
}

inline unsigned long integer(const CASN1_INTEGER& value)
{
    unsigned long n = 0;
    if (!value.GetInteger(n))
        return ~0UL;
    return n;
}

}  // namespace ldaptest
