// The value model: typed and generic decoding, forms, tagging, copying and
// moving, ordering, clear contents and the archive form.
#include "support/der_helpers.h"

namespace {

TEST(TypedDecoder, IndefiniteSequenceRoundTrips)
{
    Bytes input = hexBytes("30 80 02 01 05 00 00");
    EncodingOf encoding(input);
    CASN1_SEQUENCE sequence;
    sequence.decodeFrom(*encoding);
    EXPECT_EQ(sequence.getComponentCount(), 1);
    EXPECT_TRUE(sequence.isIndefinite());
    EXPECT_NE(dynamic_cast<CASN1_INTEGER*>(sequence.getComponentAt(0)), nullptr);
    EXPECT_EQ(encodingOf(sequence), hexOf(input));
    EXPECT_EQ(sequence.getEncodedLength(0), 7u);
}

TEST(TypedDecoder, RefusesWrongTagsAndForms)
{
    struct Case {
        const char* reason;
        const char* bytes;
        const char* message;
    } cases[] = {
        {"SET where SEQUENCE expected", "31 03 02 01 05", "Another class and tag number expected"},
        {"primitive SEQUENCE", "10 00", "Encoded type does not allow primitive encoding method"},
        {"high tag number", "3F 00", "High tag number form is not supported"},
        {"five length octets", "30 85 00 00 00 00 00", "4 bytes-encoded-length is only suported"},
        {"length beyond the data", "30 05 02 01 05", "Unexpected end of file"},
        {"component cut short", "30 03 02 05 01", "Unexpected end of file"},
        {"end-of-contents missing", "30 80 02 01 05", "Unexpected end of file"},
        {"no length octet", "30", "CException -> CDERDecodingException"},
    };
    for (const Case& c : cases) {
        EncodingOf encoding(hexBytes(c.bytes));
        CASN1_SEQUENCE sequence;
        EXPECT_EQ(decodingFailure([&] { sequence.decodeFrom(*encoding); }), c.message) << c.reason;
    }
}

TEST(TypedDecoder, ConstructedIntegerIsRefused)
{
    EncodingOf encoding(hexBytes("22 03 02 01 05"));
    CASN1_INTEGER integer;
    EXPECT_EQ(decodingFailure([&] { integer.decodeFrom(*encoding); }),
              "Encoded type does not allow constructed encoding method");
}

TEST(TypedDecoder, SegmentOfAnotherTypeIsRefused)
{
    EncodingOf encoding(hexBytes("24 05 02 01 05 04 00"));
    CASN1_OCTET_STRING octets;
    EXPECT_EQ(decodingFailure([&] { octets.decodeFrom(*encoding); }),
              "Tag number is not the same: 0x4 current, 0x2 inserted");
}

TEST(TypedDecoder, AcceptsLongFormsOfSmallLengths)
{
    EncodingOf encoding(hexBytes("04 81 05 01 02 03 04 05"));
    CASN1_OCTET_STRING octets;
    octets.decodeFrom(*encoding);
    EXPECT_EQ(octets.getClearContentsLength(), 5u);
    EXPECT_EQ(encodingOf(octets), "04 05 01 02 03 04 05");  // written back in DER
}

TEST(GenericDecoder, EveryValueStaysInsideItsParent)
{
    const char* const past = "Component runs past the end of its parent";
    struct Case {
        const char* reason;
        const char* bytes;
        const char* message;
        long offset;  // of the innermost value whose decoding failed
    } cases[] = {
        {"contents beyond the parent", "30 03 04 05 01 02 03 04 05", past, 2},
        {"length octet beyond the parent", "30 01 04 05 01 02 03 04 05", past, 2},
        {"inner SEQUENCE beyond the outer", "30 05 30 04 02 01 05 00", past, 2},
        {"component of an indefinite value beyond the parent", "30 04 30 80 02 01 05 00 00", past, 4},
        {"end-of-contents beyond the parent", "30 02 30 80 00 00", past, 2},
        {"primitive with the indefinite length octet", "04 80", "Indefinite length in primitive encoding", 0},
        {"indefinite primitive inside a SEQUENCE", "30 02 02 80", "Indefinite length in primitive encoding", 2},
        {"cut short inside the parent too", "30 03 02 05 01", "Unexpected end of file", 2},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_FALSE(decodeGeneric(hexBytes(c.bytes), &message)) << c.reason;
        EXPECT_EQ(message, c.message) << c.reason;
        EXPECT_EQ(___lastDERDecodingOffset(), c.offset) << c.reason;
    }
    // The typed decoder reads through the same bounds.
    EncodingOf encoding(hexBytes(cases[0].bytes));
    CASN1_SEQUENCE sequence;
    EXPECT_EQ(decodingFailure([&] { sequence.decodeFrom(*encoding); }), past);
    // A failure away from any value being decoded has no offset.
    decodingFailure([] { ___throwDERDecodingException("Unexpected end of file"); });
    EXPECT_EQ(___lastDERDecodingOffset(), -1);
}

TEST(GenericDecoder, KeepsUnknownComponentsAsTaggedValues)
{
    std::unique_ptr<CASN1Type> explicitTag = decodeGeneric(hexBytes("A0 03 02 01 01"));
    ASSERT_TRUE(explicitTag);
    auto* tagged = dynamic_cast<CASN1_TAGGED*>(explicitTag.get());
    ASSERT_NE(tagged, nullptr);
    EXPECT_EQ(tagged->getIdentifier(), 0x80);
    EXPECT_TRUE(tagged->isConstructed());
    ASSERT_EQ(tagged->getComponentCount(), 1);
    EXPECT_NE(dynamic_cast<CASN1_INTEGER*>(tagged->getComponentAt(0)), nullptr);

    std::unique_ptr<CASN1Type> implicitTag = decodeGeneric(hexBytes("80 02 AB CD"));
    ASSERT_TRUE(implicitTag);
    auto* primitive = dynamic_cast<CASN1_TAGGED*>(implicitTag.get());
    ASSERT_NE(primitive, nullptr);
    EXPECT_FALSE(primitive->isConstructed());
    EXPECT_EQ(primitive->getReferenceLength(), 2u);
    EXPECT_EQ(primitive->getReferencePosition(), 2u);
    EXPECT_EQ(primitive->contentsLength(), 0u);  // nothing copied
    EXPECT_EQ(encodingOf(*primitive), "80 02 AB CD");
}

TEST(GenericDecoder, MakesTheClassOfEachUniversalTag)
{
    struct Case {
        unsigned char identifier;
        bool (*isRightClass)(CASN1Type*);
    } cases[] = {
        {1, [](CASN1Type* v) { return dynamic_cast<CASN1_BOOLEAN*>(v) != nullptr; }},
        {2, [](CASN1Type* v) { return dynamic_cast<CASN1_INTEGER*>(v) != nullptr; }},
        {3, [](CASN1Type* v) { return dynamic_cast<CASN1_BIT_STRING*>(v) != nullptr; }},
        {4, [](CASN1Type* v) { return dynamic_cast<CASN1_OCTET_STRING*>(v) != nullptr; }},
        {5, [](CASN1Type* v) { return dynamic_cast<CASN1_NULL*>(v) != nullptr; }},
        {6, [](CASN1Type* v) { return dynamic_cast<CASN1_OBJECT_IDENTIFIER*>(v) != nullptr; }},
        {10, [](CASN1Type* v) { return dynamic_cast<CASN1_ENUMERATED*>(v) != nullptr; }},
        {16, [](CASN1Type* v) { return typeid(*v) == typeid(CASN1_SEQUENCE); }},
        {17, [](CASN1Type* v) { return dynamic_cast<CASN1_SET*>(v) != nullptr; }},
        {19, [](CASN1Type* v) { return dynamic_cast<CASN1_PrintableString*>(v) != nullptr; }},
        {20, [](CASN1Type* v) { return dynamic_cast<CASN1_T61String*>(v) != nullptr; }},
        {22, [](CASN1Type* v) { return dynamic_cast<CASN1_IA5String*>(v) != nullptr; }},
        {23, [](CASN1Type* v) { return dynamic_cast<CASN1_UTCTime*>(v) != nullptr; }},
        {28, [](CASN1Type* v) { return dynamic_cast<CASN1_UniversalString*>(v) != nullptr; }},
        {30, [](CASN1Type* v) { return dynamic_cast<CASN1_BMPString*>(v) != nullptr; }},
        {12, [](CASN1Type* v) { return typeid(*v) == typeid(CASN1_TAGGED); }},
        {0x41, [](CASN1Type* v) { return typeid(*v) == typeid(CASN1_TAGGED); }},
        {0xC2, [](CASN1Type* v) { return typeid(*v) == typeid(CASN1_TAGGED); }},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CASN1Type> value(___makeASN1Class(c.identifier));
        EXPECT_TRUE(c.isRightClass(value.get())) << (int)c.identifier;
        EXPECT_EQ(value->getIdentifier(), c.identifier);
    }
}

TEST(HostileInput, HugeLengthFailsBeforeAllocating)
{
    // 2 GiB announced, two octets present.
    std::string message;
    EXPECT_FALSE(decodeGeneric(hexBytes("04 84 7F FF FF F0 01 02"), &message));
    EXPECT_EQ(message, "Unexpected end of file");
    EXPECT_FALSE(decodeGeneric(hexBytes("30 84 7F FF FF F0 02 01 05"), &message));
    EXPECT_EQ(message, "Unexpected end of file");
    EXPECT_FALSE(decodeGeneric(hexBytes("A3 84 FF FF FF FF 01"), &message));
    EXPECT_EQ(message, "Unexpected end of file");
}

TEST(HostileInput, DeepNestingStopsAtTheDepthLimit)
{
    Bytes deep;
    for (int i = 0; i < 200000; ++i) {
        deep.push_back(0x30);
        deep.push_back(0x80);
    }
    std::string message;
    EXPECT_FALSE(decodeGeneric(deep, &message));
    EXPECT_EQ(message, "Nesting deeper than 256 levels");

    Bytes allowed;
    for (unsigned i = 0; i < kMaxDecodingDepth; ++i) {
        allowed.push_back(0x30);
        allowed.push_back(0x80);
    }
    allowed.insert(allowed.end(), 2 * kMaxDecodingDepth, 0x00);
    std::unique_ptr<CASN1Type> value = decodeGeneric(allowed, &message);
    ASSERT_TRUE(value) << message;
    EXPECT_EQ(value->getEncodedLength(0), allowed.size());
}

TEST(MoveFrom, ConsumesTheSourceEitherWay)
{
    CASN1_INTEGER target(1);
    EXPECT_FALSE(target.moveFrom(new CASN1_OCTET_STRING((const unsigned char*)"x", 1)));
    EXPECT_TRUE(target.moveFrom(new CASN1_INTEGER(300)));
    EXPECT_EQ(encodingOf(target), "02 02 01 2C");
}

TEST(CloneAndDie, LeavesTheSourceEmpty)
{
    CASN1_SEQUENCE sequence;
    sequence.AddObject(new CASN1_INTEGER(1));
    sequence.AddObject(new CASN1_NULL);
    std::unique_ptr<CASN1Type> moved(sequence.cloneAndDie());
    EXPECT_EQ(sequence.getComponentCount(), 0);
    EXPECT_EQ(encodingOf(*moved), "30 05 02 01 01 05 00");
    std::unique_ptr<CASN1Type> copy(moved->clone());
    EXPECT_EQ(encodingOf(*copy), encodingOf(*moved));
    EXPECT_NE(dynamic_cast<CASN1_SEQUENCE*>(copy.get()), nullptr);
}

TEST(Tagging, ExplicitRoundTrip)
{
    CASN1_INTEGER seven(7);
    CASN1_TAGGED tagged;
    seven.buildExplicitTAGGED(tagged);
    tagged.setIdentifier(0xA1 & kASN1ClassAndTagMask);
    EXPECT_EQ(encodingOf(tagged), "A1 03 02 01 07");

    CASN1_INTEGER back;
    EXPECT_TRUE(back.fromExplicit(tagged));
    EXPECT_EQ(encodingOf(back), "02 01 07");
    EXPECT_EQ(tagged.getComponentCount(), 1);  // cloned, not taken

    CASN1_OCTET_STRING wrong;
    EXPECT_FALSE(wrong.fromExplicit(tagged));
}

TEST(Tagging, ImplicitPrimitiveRoundTrip)
{
    CASN1_INTEGER value(0x1234);
    CASN1_TAGGED tagged;
    value.buildImplicitTAGGED(tagged);
    tagged.setIdentifier(0x82);
    EXPECT_EQ(encodingOf(tagged), "82 02 12 34");
    EXPECT_EQ(value.contentsLength(), 2u);  // copied

    CASN1_INTEGER back;
    EXPECT_TRUE(back.fromImplicit(tagged));
    EXPECT_EQ(encodingOf(back), "02 02 12 34");
}

TEST(Tagging, ImplicitWithClearAfterGetMovesTheContents)
{
    CASN1_OCTET_STRING octets((const unsigned char*)"abc", 3);
    CASN1_INTEGER value(0x1234);
    value.OnOffClearAfterGet(TRUE);
    CASN1_TAGGED tagged;
    value.buildImplicitTAGGED(tagged);
    EXPECT_EQ(value.contentsLength(), 0u);
    tagged.setIdentifier(0x80);
    EXPECT_EQ(encodingOf(tagged), "80 02 12 34");
}

TEST(Tagging, ImplicitConstructedKeepsTheIndefiniteForm)
{
    std::unique_ptr<CASN1Type> decoded = decodeGeneric(hexBytes("A2 80 02 01 05 00 00"));
    auto* tagged = dynamic_cast<CASN1_TAGGED*>(decoded.get());
    ASSERT_NE(tagged, nullptr);
    CASN1_SEQUENCE sequence;
    EXPECT_TRUE(sequence.fromImplicit(*tagged));
    EXPECT_TRUE(sequence.isIndefinite());
    EXPECT_EQ(encodingOf(sequence), "30 80 02 01 05 00 00");
    CASN1_INTEGER integer;
    EXPECT_FALSE(integer.fromImplicit(*tagged));  // constructed source, primitive type
}

TEST(Tagging, ImplicitIntoAPrimitiveTypeChecksItsContents)
{
    std::unique_ptr<CASN1Type> decoded = decodeGeneric(hexBytes("81 02 FF FF"));
    auto* tagged = dynamic_cast<CASN1_TAGGED*>(decoded.get());
    ASSERT_NE(tagged, nullptr);
    CASN1_BOOLEAN boolean;
    EXPECT_FALSE(boolean.fromImplicit(*tagged));  // two octets: not a BOOLEAN
    CASN1_NULL null;
    EXPECT_FALSE(null.fromImplicit(*tagged));
}

TEST(Compare, OrdersByEncoding)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"02 01 01", "02 01 02", -1},
        {"02 01 02", "02 01 01", 1},
        {"02 01 05", "02 01 05", 0},
        {"04 01 00", "04 02 00 00", -1},
        {"04 02 00 00", "04 01 00", 1},
        {"30 03 02 01 05", "30 05 02 01 05 05 00", -1},
    };
    for (const auto& c : cases) {
        auto a = decodeGeneric(hexBytes(c.a));
        auto b = decodeGeneric(hexBytes(c.b));
        ASSERT_TRUE(a && b);
        EXPECT_EQ(___cmp(*a, *b), c.expected) << c.a << " vs " << c.b;
    }
}

TEST(Compare, DecidesAcrossBlockBoundaries)
{
    Bytes left(3000, 0x11), right(3000, 0x11);
    right[2500] = 0x12;
    CASN1_OCTET_STRING a(left.data(), left.size()), b(right.data(), right.size());
    EXPECT_EQ(___cmp(a, b), -1);
    EXPECT_EQ(___cmp(b, a), 1);
    EXPECT_EQ(___cmp(a, a), 0);
}

TEST(SortedSet, InsertsInEncodingOrder)
{
    CASN1_SET set;
    set.OnOffSorted(TRUE);
    for (unsigned long v : {5UL, 1UL, 300UL, 1UL, 2UL})
        set.AddObject(new CASN1_INTEGER(v));
    EXPECT_EQ(encodingOf(set), "31 10 02 01 01 02 01 01 02 01 02 02 01 05 02 02 01 2C");
    EXPECT_TRUE(CASN1_SET::isValid(&set, FALSE));

    CASN1_SET unsorted;
    unsorted.AddObject(new CASN1_INTEGER(5));
    unsorted.AddObject(new CASN1_INTEGER(1));
    EXPECT_TRUE(CASN1_SET::isValid(&unsorted, FALSE));
    unsorted.OnOffSorted(TRUE);
    EXPECT_FALSE(CASN1_SET::isValid(&unsorted, FALSE));
}

TEST(ClearData, AlignsIntoACallersBuffer)
{
    CASN1_OCTET_STRING octets((const unsigned char*)"\x01\x02\x03", 3);
    unsigned char buffer[8];
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_TRUE(octets.GetClearData(buffer, 8, FALSE, TRUE));
    EXPECT_EQ(hexOf(buffer, 8), "00 00 00 00 00 01 02 03");
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_TRUE(octets.GetClearData(buffer, 8, TRUE, FALSE));
    EXPECT_EQ(hexOf(buffer, 8), "01 02 03 EE EE EE EE EE");
    EXPECT_FALSE(octets.GetClearData(buffer, 2, TRUE, TRUE));
    EXPECT_EQ(buffer[0], 0x01);  // untouched

    CString text;
    octets.GetString(text);
    EXPECT_EQ(text.GetLength(), 3);
}

TEST(ArchiveForm, StoresMarkerAndEncoding)
{
    CASN1_SEQUENCE sequence;
    sequence.AddObject(new CASN1_INTEGER(5));
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        sequence._Serialize(ar);
    }
    EXPECT_EQ(hexOf(file.GetBufferPointer(), file.GetLength()), "00 05 00 30 03 02 01 05");

    file.SeekToBegin();
    CASN1_SEQUENCE loaded;
    {
        CArchive ar(&file, CArchive::load);
        loaded._Serialize(ar);
    }
    EXPECT_EQ(encodingOf(loaded), "30 03 02 01 05");
}

TEST(ArchiveForm, RefusesBadMarkersAndBadDER)
{
    struct Case {
        const char* reason;
        const char* bytes;
        int cause;
    } cases[] = {
        {"marker 1", "01 05 00 30 03 02 01 05", CArchiveException::genericException},
        {"empty encoding", "00 00 00", CArchiveException::genericException},
        {"not a sequence", "00 03 00 02 01 05", CArchiveException::genericException},
        {"count beyond the data", "00 FF FF 00 00 00 10 30", CArchiveException::endOfFile},
    };
    for (const auto& c : cases) {
        Bytes bytes = hexBytes(c.bytes);
        CMemFile file(bytes.data(), (UINT)bytes.size(), 0);
        CArchive ar(&file, CArchive::load);
        CASN1_SEQUENCE value;
        try {
            value._Serialize(ar);
            ADD_FAILURE() << c.reason;
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, c.cause) << c.reason;
            e->Delete();
        }
    }
}

}  // namespace
