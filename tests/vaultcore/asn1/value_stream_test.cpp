// Streams of concatenated values: each decodes in turn, and nothing done
// with a decoded value (encoding, dumping, comparing, validating, reading its
// contents) moves the position the next decoding starts from.
#include "support/der_helpers.h"

namespace {

// SEQUENCE { [0] IMPLICIT IA5String "A", OCTET STRING "B" } followed by
// INTEGER 7. Both contents stay referenced inside the stream.
const char* const kStream = "30 06 80 01 41 04 01 42  02 01 07";
const unsigned long kFirstLength = 8;

CASN1_TAGGED& referencedMember(CASN1Type& value)
{
    return *dynamic_cast<CASN1_TAGGED*>(dynamic_cast<CASN1_SEQUENCE&>(value).getComponentAt(0));
}

TEST(ValueStream, ReadingAValueLeavesTheStreamWhereItWas)
{
    struct Operation {
        const char* name;
        void (*run)(CASN1Type& value);
    } operations[] = {
        {"encodeTo a byte array", [](CASN1Type& v) { CByteArray out; v.encodeTo(out); }},
        {"encodeTo twice", [](CASN1Type& v) { CMemFile out; v.encodeTo(out); v.encodeTo(out); }},
        {"Dump", [](CASN1Type& v) { CMemFile out; v.Dump(0, &out); }},
        {"___cmp with a clone", [](CASN1Type& v) { std::unique_ptr<CASN1Type> c(v.clone()); ___cmp(v, *c); }},
        {"GetClearData", [](CASN1Type& v) { CByteArray out; v.GetClearData(out, TRUE); }},
        {"validator", [](CASN1Type& v) { CASN1_IA5String::isValid(&referencedMember(v), TRUE); }},
        {"fromImplicit", [](CASN1Type& v) { CASN1_IA5String s; s.fromImplicit(referencedMember(v)); }},
        {"moveFrom a clone", [](CASN1Type& v) { CASN1_TAGGED t(0x80, FALSE); t.moveFrom(referencedMember(v).clone()); }},
    };
    for (const Operation& operation : operations) {
        EncodingOf stream(hexBytes(kStream));
        std::unique_ptr<CASN1Type> first(___buildFromEncoding(*stream));
        ASSERT_EQ(stream->Seek(0, CFile::current), (long)kFirstLength);
        operation.run(*first);
        EXPECT_EQ(stream->Seek(0, CFile::current), (long)kFirstLength) << operation.name;
        std::string second;
        decodingFailure([&] { second = encodingOf(*std::unique_ptr<CASN1Type>(___buildFromEncoding(*stream))); });
        EXPECT_EQ(second, "02 01 07") << operation.name;
        EXPECT_EQ(encodingOf(*first), "30 06 80 01 41 04 01 42") << operation.name;
    }
}

TEST(ValueStream, EncodingAValueIntoTheStreamItCameFromAppendsIt)
{
    // The stream is also the sink: the referenced octets are read from their
    // place while the encoding is written at the stream's end.
    Bytes input = hexBytes(kStream);
    CDEREncoding* stream = new CDEREncoding(TRUE);
    stream->AddRef();
    stream->Write(input.data(), (unsigned long)input.size());
    stream->SeekToBegin();
    std::unique_ptr<CASN1Type> first(___buildFromEncoding(*stream));
    stream->Seek(0, CFile::end);
    first->encodeTo(*stream);
    EXPECT_EQ(stream->Seek(0, CFile::current), (long)(input.size() + kFirstLength));
    CByteArray all;
    stream->SeekToBegin();
    stream->Read(all, 100);
    EXPECT_EQ(hexOf(all), hexOf(hexBytes(std::string(kStream) + "30 06 80 01 41 04 01 42")));
    first.reset();
    stream->Release();
}

}  // namespace
