// Diagnostic listings.
#include "support/der_helpers.h"

namespace {

std::string dumpOf(const CASN1Type& value, unsigned long indent = 0)
{
    CMemFile file;
    value.Dump(indent, &file);
    return std::string((const char*)file.GetBufferPointer(), file.GetLength());
}

TEST(Dump, PrimitiveIntegerLine)
{
    std::string expected = "<UNIV, INTEGER, P> SIZE: 2 + 1 = 3 (0x2 + 0x1 = 0x3)\r\n"
                           "   05 " + std::string(54, ' ') + ".\r\n";
    EXPECT_EQ(dumpOf(CASN1_INTEGER(5)), expected);
}

TEST(Dump, SequenceWithBraces)
{
    CASN1_SEQUENCE sequence;
    sequence.AddObject(new CASN1_INTEGER(1));
    sequence.AddObject(new CASN1_INTEGER(2));
    std::string text = dumpOf(sequence);
    std::string expected = "<UNIV, SEQUENCE(OF), C> SIZE: 2 + 6 = 8 (0x2 + 0x6 = 0x8)\r\n"
                           "{\r\n"
                           "   <UNIV, INTEGER, P> SIZE: 2 + 1 = 3 (0x2 + 0x1 = 0x3)\r\n"
                           "      01 " + std::string(54, ' ') + ".\r\n"
                           "\r\n"
                           "   <UNIV, INTEGER, P> SIZE: 2 + 1 = 3 (0x2 + 0x1 = 0x3)\r\n"
                           "      02 " + std::string(54, ' ') + ".\r\n"
                           "}\r\n";
    EXPECT_EQ(text, expected);
}

TEST(Dump, TypeNamesAndDecodedLines)
{
    auto tagged = decodeGeneric(hexBytes("A3 03 05 01 00"), nullptr);
    EXPECT_EQ(tagged, nullptr);  // NULL with contents is refused
    tagged = decodeGeneric(hexBytes("A3 02 05 00"));
    ASSERT_TRUE(tagged);
    EXPECT_EQ(dumpOf(*tagged).substr(0, 19), "<CSPEC, 3 (0x3), C>");

    EXPECT_EQ(dumpOf(*decodeGeneric(hexBytes("5E 00"))).substr(0, 17), "<APP, 30 (0x1e), ");
    EXPECT_EQ(dumpOf(*decodeGeneric(hexBytes("1E 00"))).substr(0, 18), "<UNIV, 30 (0x1e), ");

    std::string boolean = dumpOf(CASN1_BOOLEAN(TRUE), 2);
    EXPECT_EQ(boolean, "  <UNIV, BOOLEAN, P> SIZE: 2 + 1 = 3 (0x2 + 0x1 = 0x3)\r\n     TRUE\r\n");

    CASN1_OBJECT_IDENTIFIER cn(2, 5);
    cn.AddIDComponent(4);
    cn.AddIDComponent(3);
    EXPECT_NE(dumpOf(cn).find("   OID = 2.5.4.3\r\n"), std::string::npos);

    unsigned char bits = 0xF0;
    std::string bitString = dumpOf(CASN1_BIT_STRING(&bits, 4, TRUE));
    EXPECT_NE(bitString.find("\r\nBITS = 4 (0x4)\r\n"), std::string::npos);
}

TEST(Dump, IndefiniteAndLongContents)
{
    auto indefinite = decodeGeneric(hexBytes("30 80 05 00 00 00"));
    ASSERT_TRUE(indefinite);
    EXPECT_EQ(dumpOf(*indefinite).substr(0, 56), "<UNIV, SEQUENCE(OF), C> SIZE: 2 + ? = ? (0x2 + ? = ?)\r\n{");

    Bytes contents(200, 'A');
    std::string text = dumpOf(CASN1_OCTET_STRING(contents.data(), contents.size()));
    EXPECT_EQ(text.substr(0, 71), "<UNIV, OCTET STRING, P> SIZE: 3 + 200 = 203 (0x3 + 0xc8 = 0xcb)\r\n   41 ");
    size_t lines = 0;
    for (size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2)
        ++lines;
    EXPECT_EQ(lines, 1u + 12u);
}

TEST(Dump, NullFileWithoutConsoleWritesNothing)
{
    g_bDumpToConsole = 0;
    CASN1_SEQUENCE sequence;
    sequence.AddObject(new CASN1_BOOLEAN(FALSE));
    sequence.Dump(0, nullptr);  // must not fail
    ___WriteFormatted(nullptr, "%s", "nothing");
}

TEST(LString, GetLine)
{
    __LString text("one\r\ntwo\nthree", 14);
    EXPECT_EQ(text.GetLine(0), "one \n");
    EXPECT_EQ(text.GetLine(5), "two\n");
    EXPECT_EQ(text.GetLine(9), "three");
    EXPECT_EQ(text.GetLine(14), "");
}

}  // namespace
