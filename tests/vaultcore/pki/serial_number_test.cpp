// Serial numbers: numeric equality, texts, the randomised replacement, the
// INTEGER conversion and archiving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {

using Bytes = std::vector<unsigned char>;

CSerialNumber serialOf(Bytes bytes)
{
    return CSerialNumber(bytes.data(), (int)bytes.size());
}

TEST(SerialNumber, EqualityIgnoresLeadingZeros)
{
    struct Case {
        Bytes a, b;
        bool equal;
    } cases[] = {
        {{0x00, 0x7F}, {0x7F}, true},
        {{0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05}, {0x01, 0x02, 0x03, 0x04, 0x05}, true},
        {{0x00}, {}, true},  // both zero
        {{0x7F}, {0x7F, 0x00}, false},
        {{0x01, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x01}, false},
        {{0x12, 0x34}, {0x12, 0x35}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ((serialOf(c.a) == serialOf(c.b)) != 0, c.equal);
        EXPECT_EQ((serialOf(c.b) == serialOf(c.a)) != 0, c.equal);
    }
    // Longer than the arithmetic holds: still compared, not refused.
    Bytes big(3000, 0xAB), bigger = big;
    bigger.insert(bigger.begin(), 0x00);
    EXPECT_TRUE(serialOf(big) == serialOf(bigger));
    bigger.back() = 0xAC;
    EXPECT_FALSE(serialOf(big) == serialOf(bigger));
}

TEST(SerialNumber, TextsKeepEveryOctet)
{
    EXPECT_STREQ((CString)serialOf({0x00, 0x7F}), "007F");
    EXPECT_STREQ((CString)serialOf({0x7F}), "7F");
    EXPECT_STREQ((CString)CSerialNumber(), "");
    EXPECT_EQ(CSerialNumber(nullptr, 4).GetSize(), 0);
    unsigned char one = 1;
    EXPECT_EQ(CSerialNumber(&one, -1).GetSize(), 0);
}

TEST(SerialNumber, RandomPermutationLayout)
{
    struct Case {
        Bytes old;
        const char* md5;  // of the old octets
    } cases[] = {
        {{0x05}, "8BB6C17838643F9691CC6A4DE6C51709"},
        {{0x01, 0x02, 0x03, 0x04}, "08D6C05A21512A79A1DFEB9D2A8F262F"},
        {{}, "D41D8CD98F00B204E9800998ECF8427E"},
    };
    for (const Case& c : cases) {
        CSerialNumber serial = serialOf(c.old), first;
        serial.RandomPermutation();
        ASSERT_EQ(serial.GetSize(), 24);
        EXPECT_STREQ(((CString)serial).Mid(6, 32), c.md5);
        for (int i : {0, 1, 2, 19, 20, 21, 22, 23})
            EXPECT_NE(serial.GetData()[i], 0) << i;
        first = serial;
        serial = serialOf(c.old);
        serial.RandomPermutation();
        EXPECT_FALSE(serial == first);  // fresh random octets each time
    }
}

TEST(SerialNumber, FromInteger)
{
    struct Case {
        Bytes contents;
        const char* text;
    } cases[] = {
        {{0x00, 0x80}, "80"},
        {{0x00, 0x00, 0x01}, "01"},
        {{0x00}, "00"},
        {{0x7F, 0x00}, "7F00"},
    };
    for (const Case& c : cases) {
        CASN1_INTEGER integer;
        integer.setContentsBytes(c.contents.data(), (unsigned long)c.contents.size());
        CSerialNumber serial = integer;
        EXPECT_STREQ((CString)serial, c.text);
    }
}

TEST(SerialNumber, ArchiveRoundTrip)
{
    CSerialNumber serial = serialOf({0x00, 0x12, 0xFE});
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        serial.Serialize(ar);
        ar.Close();
    }
    std::string bytes((const char*)file.GetBufferPointer(), file.GetLength());
    EXPECT_EQ(bytes, std::string("\x03\x00\x00\x12\xFE", 5));
    file.SeekToBegin();
    CSerialNumber back;
    {
        CArchive ar(&file, CArchive::load);
        back.Serialize(ar);
    }
    EXPECT_STREQ((CString)back, "0012FE");

    CObject* made = CRuntimeClass::CreateObject("CSerialNumber");
    EXPECT_TRUE(made && made->IsKindOf(RUNTIME_CLASS(CSerialNumber)));
    delete made;
}

}  // namespace
