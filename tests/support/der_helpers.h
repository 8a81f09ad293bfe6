#pragma once
// Helpers shared by the DER tests: hex to bytes, decoding from bytes, and
// catching the decoding exception with its message.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

using Bytes = std::vector<unsigned char>;

inline Bytes hexBytes(const std::string& hex)
{
    Bytes out;
    std::string digits;
    for (char c : hex)
        if (!isspace((unsigned char)c))
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back((unsigned char)std::stoul(digits.substr(i, 2), nullptr, 16));
    return out;
}

inline std::string hexOf(const unsigned char* data, size_t n)
{
    std::string out;
    char pair[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof pair, "%s%02X", i ? " " : "", data[i]);
        out += pair;
    }
    return out;
}

inline std::string hexOf(const Bytes& bytes)
{
    return hexOf(bytes.data(), bytes.size());
}

inline std::string hexOf(const CByteArray& bytes)
{
    return hexOf(bytes.GetData(), (size_t)bytes.GetSize());
}

inline std::string encodingOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return hexOf(bytes);
}

inline Bytes readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// An encoding that owns a copy of the bytes; released when it goes.
struct EncodingOf {
    explicit EncodingOf(const Bytes& bytes)
        : encoding(new CDEREncoding(TRUE, const_cast<unsigned char*>(bytes.data()), bytes.size(), FALSE, TRUE))
    {
        encoding->AddRef();
    }
    ~EncodingOf() { encoding->Release(); }
    EncodingOf(const EncodingOf&) = delete;
    EncodingOf& operator=(const EncodingOf&) = delete;
    CDEREncoding& operator*() { return *encoding; }
    CDEREncoding* operator->() { return encoding; }
    CDEREncoding* encoding;
};

// Runs action; returns the decoding message when it threw the decoding
// exception, "" when it did not throw.
template <class Action>
std::string decodingFailure(Action action)
{
    try {
        action();
    } catch (CDERDecodingException* e) {
        e->Delete();
        return ___lastDERDecodingMessage();
    }
    return "";
}

// The generic decoder over bytes; null when decoding failed.
inline std::unique_ptr<CASN1Type> decodeGeneric(const Bytes& bytes, std::string* message = nullptr)
{
    EncodingOf encoding(bytes);
    std::unique_ptr<CASN1Type> value;
    std::string failure = decodingFailure([&] { value.reset(___buildFromEncoding(*encoding)); });
    if (message)
        *message = failure;
    return failure.empty() ? std::move(value) : nullptr;
}

// True when action throws an exception of class E (by pointer); the
// exception is deleted as the class library asks.
template <class E, class Action>
bool throwsAndDeletes(Action action)
{
    try {
        action();
    } catch (E* e) {
        e->Delete();
        return true;
    }
    return false;
}
