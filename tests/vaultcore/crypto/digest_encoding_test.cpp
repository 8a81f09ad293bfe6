#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {
std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The hexadecimal digest the openssl command prints for a file.
std::string opensslDigest(const char* algorithm, const std::string& path)
{
    std::string command = std::string("openssl dgst -") + algorithm + " -r '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "";
    char line[256] = {};
    if (!fgets(line, sizeof line, pipe))
        line[0] = 0;
    pclose(pipe);
    std::string text(line);
    return text.substr(0, text.find(' '));
}

std::string lowerHex(const unsigned char* p, int n)
{
    std::string s(OctetsToHexChars(p, n));
    for (char& c : s)
        c = (char)std::tolower((unsigned char)c);
    return s;
}

std::unique_ptr<CASN1Type> decode(std::vector<unsigned char>& bytes)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes.data(), (unsigned long)bytes.size(), FALSE, TRUE);
    encoding->AddRef();
    std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
    encoding->Release();
    return value;
}
}  // namespace

TEST(DigestEncoding, MatchesOpensslOverTheDerFile)
{
    for (const char* name : {"sample_cert.der", "crl.der", "pkcs7_signed.der"}) {
        std::string path = std::string(VC_TEST_DATA) + "/der/" + name;
        std::vector<unsigned char> bytes = readFile(path);
        ASSERT_FALSE(bytes.empty()) << path;
        std::unique_ptr<CASN1Type> value = decode(bytes);
        ASSERT_TRUE(value) << name;

        CSHA1DigestMaker sha1;
        value->digestEncoding(sha1);
        unsigned char out[20];
        sha1.GetCurrentDigest(out);
        EXPECT_EQ(lowerHex(out, 20), opensslDigest("sha1", path)) << name;

        CMD5DigestMaker md5;
        value->digestEncoding(md5);
        md5.GetCurrentDigest(out);
        EXPECT_EQ(lowerHex(out, 16), opensslDigest("md5", path)) << name;

        // Without the header: the contents octets only.
        size_t header = (bytes[1] & 0x80) ? 2 + (bytes[1] & 0x7F) : 2;
        unsigned char expected[16];
        AfxMakeMD5DigestOnData(bytes.data() + header, (int)(bytes.size() - header), expected);
        CMD5DigestMaker contents;
        value->digestEncoding(contents, 1);
        contents.GetCurrentDigest(out);
        EXPECT_EQ(lowerHex(out, 16), lowerHex(expected, 16)) << name;
    }
}

TEST(DigestEncoding, FilterMatchesDirectDigestAcrossBufferSizes)
{
    std::vector<unsigned char> data(5000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (unsigned char)(i * 7 + 3);
    unsigned char expected[20], out[20];
    CSHA1DigestMaker direct;
    direct.UpdateBlock(data.data(), (int)data.size(), nullptr, 1, 1);
    direct.GetCurrentDigest(expected);
    for (unsigned long capacity : {1ul, 63ul, 64ul, 1024ul}) {
        for (size_t piece : {1u, 100u, 1500u}) {
            CSHA1DigestMaker sha1;
            CDigestFilterNS stage(sha1, nullptr, capacity);
            for (size_t at = 0; at < data.size(); at += piece)
                stage.write(data.data() + at, (unsigned long)std::min(piece, data.size() - at));
            stage.finish();
            sha1.GetCurrentDigest(out);
            EXPECT_EQ(lowerHex(out, 20), lowerHex(expected, 20)) << capacity << "/" << piece;
        }
    }
}
