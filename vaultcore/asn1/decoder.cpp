// The typed and generic decoders, the class made for each identifier, and
// the per-thread record of the last decoding failure.
//
// Every definite-length constructed value is read as a window of the
// encoding: its end is kept on the encoding while its components are
// decoded, and a component whose header or contents would cross that end
// fails. So the octets each value consumes are exactly the ones its length
// octets declare, at every level, and two readers of the same octets cannot
// disagree on where a value ends.
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "vaultcore/asn1/asn1_type.h"
#include "vaultcore/asn1/universal_types.h"

namespace {
const char* const kHighTagMessage = "High tag number form is not supported";
const char* const kEndOfFileMessage = "Unexpected end of file";
const char* const kPastParentMessage = "Component runs past the end of its parent";
const char* const kIndefinitePrimitiveMessage = "Indefinite length in primitive encoding";
const char* const kLengthNotConsumedMessage = "Contents not read to their declared length";

thread_local char lastDecodingMessage[256];
thread_local long lastDecodingOffset = -1;

unsigned char readIdentifier(CDEREncoding& encoding)
{
    unsigned char identifier = encoding.ReadByte();
    if ((identifier & kASN1TagNumberMask) == kASN1TagNumberMask)
        ___throwDERDecodingException("%s", kHighTagMessage);
    return identifier;
}

// The definite length after the first length octet L.
unsigned long readDefiniteLength(CDEREncoding& encoding, unsigned char first)
{
    if (first < 0x80)
        return first;
    unsigned int n = first & 0x7F;
    if (n > 4)
        ___throwDERDecodingException("4 bytes-encoded-length is only suported");
    unsigned long length = 0;
    for (unsigned int i = 0; i < n; ++i)
        length = (length << 8) | encoding.ReadByte();
    return length;
}

// One level of nesting on the encoding, for as long as it lives: counts the
// depth, and puts back the enclosing value's end (which the level's own
// components are bounded by while it runs) when the level is left.
class DecodingLevel {
public:
    explicit DecodingLevel(CDEREncoding& encoding) : m_encoding(encoding), m_enclosingEnd(encoding.m_dwDecodingEnd)
    {
        if (++m_encoding.m_nDecodingDepth > kMaxDecodingDepth) {
            --m_encoding.m_nDecodingDepth;
            ___throwDERDecodingException("Nesting deeper than %u levels", kMaxDecodingDepth);
        }
    }
    ~DecodingLevel()
    {
        m_encoding.m_dwDecodingEnd = m_enclosingEnd;
        --m_encoding.m_nDecodingDepth;
    }
    DecodingLevel(const DecodingLevel&) = delete;
    DecodingLevel& operator=(const DecodingLevel&) = delete;

private:
    CDEREncoding& m_encoding;
    unsigned long m_enclosingEnd;
};

// Checks that length contents octets from the position, just behind a
// header, lie inside the data and inside the enclosing value; returns the
// position.
unsigned long contentsStart(CDEREncoding& encoding, unsigned long length)
{
    unsigned long position = encoding.GetPosition();
    unsigned long end = encoding.m_dwDecodingEnd;
    if (position > end)
        ___throwDERDecodingException("%s", kPastParentMessage);
    if (length > encoding.bytesLeft())
        ___throwDERDecodingException("%s", kEndOfFileMessage);
    if (length > end - position)
        ___throwDERDecodingException("%s", kPastParentMessage);
    return position;
}

// Remembers, for the innermost value being decoded when a failure passes,
// where that value starts.
void noteFailureAt(unsigned long start)
{
    if (lastDecodingOffset < 0)
        lastDecodingOffset = (long)start;
}
}  // namespace

void ___throwDERDecodingException(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(lastDecodingMessage, sizeof lastDecodingMessage, format, args);
    va_end(args);
    lastDecodingOffset = -1;
    throw CDERDecodingException::shared();
}

const char* ___lastDERDecodingMessage()
{
    return lastDecodingMessage;
}

long ___lastDERDecodingOffset()
{
    return lastDecodingOffset;
}

// Reaches the protected decoding hooks of the value classes.
struct CASN1Decoder {
    static void decodeAt(CASN1Type* typed, CASN1Type** generic, CDEREncoding& encoding, unsigned long start);
    static void decodeAfterIdentifier(CASN1Type& value, CDEREncoding& encoding, unsigned char identifier);
    static void decodePrimitive(CASN1Type& value, CDEREncoding& encoding, unsigned long length);
    static void decodeComponents(CASN1Type& value, CDEREncoding& encoding, unsigned long length);
};

// The value at the position, start: into typed when given, else into a new
// value of the class its identifier names, handed out through generic.
void CASN1Decoder::decodeAt(CASN1Type* typed, CASN1Type** generic, CDEREncoding& encoding, unsigned long start)
{
    try {
        unsigned char identifier = readIdentifier(encoding);
        if (typed) {
            if ((identifier & kASN1ClassAndTagMask) != (typed->getIdentifier() & kASN1ClassAndTagMask))
                ___throwDERDecodingException("Another class and tag number expected");
            decodeAfterIdentifier(*typed, encoding, identifier);
            return;
        }
        std::unique_ptr<CASN1Type> value(___makeASN1Class(identifier & kASN1ClassAndTagMask));
        decodeAfterIdentifier(*value, encoding, identifier);
        *generic = value.release();
    } catch (CDERDecodingException*) {
        noteFailureAt(start);
        throw;
    }
}

// Steps after the identifier: form checks, length and contents.
void CASN1Decoder::decodeAfterIdentifier(CASN1Type& value, CDEREncoding& encoding, unsigned char identifier)
{
    DecodingLevel level(encoding);
    unsigned char first = encoding.ReadByte();
    if (!(identifier & kASN1ConstructedBit)) {
        if (!value.allowsPrimitive())
            ___throwDERDecodingException("Encoded type does not allow primitive encoding method");
        if (first == 0x80)
            ___throwDERDecodingException("%s", kIndefinitePrimitiveMessage);
        value.setConstructed(FALSE);
        value.setIndefinite(FALSE);
        decodePrimitive(value, encoding, readDefiniteLength(encoding, first));
        return;
    }
    if (!value.allowsConstructed())
        ___throwDERDecodingException("Encoded type does not allow constructed encoding method");
    value.setConstructed(TRUE);
    value.setIndefinite(first == 0x80);
    decodeComponents(value, encoding, first == 0x80 ? 0 : readDefiniteLength(encoding, first));
}

void CASN1Decoder::decodePrimitive(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
{
    unsigned long start = contentsStart(encoding, length);
    value.setContents(encoding, length);
    if (encoding.GetPosition() != start + length)
        ___throwDERDecodingException("%s", kLengthNotConsumedMessage);
}

// Components up to the end-of-contents marker (indefinite) or over exactly
// length octets (definite). Runs inside a DecodingLevel, which restores the
// enclosing end this narrows.
void CASN1Decoder::decodeComponents(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
{
    if (value.isIndefinite()) {
        contentsStart(encoding, 0);
        while (!encoding.reached00()) {
            CASN1Type* component = nullptr;
            decodeAt(nullptr, &component, encoding, encoding.GetPosition());
            value.addConstructedComponent(component);
        }
        // The end-of-contents octets themselves must lie inside the enclosing value.
        if (encoding.GetPosition() > encoding.m_dwDecodingEnd)
            ___throwDERDecodingException("%s", kPastParentMessage);
        return;
    }
    unsigned long end = contentsStart(encoding, length) + length;
    encoding.m_dwDecodingEnd = end;
    for (unsigned long position = end - length; position < end; position = encoding.GetPosition()) {
        CASN1Type* component = nullptr;
        decodeAt(nullptr, &component, encoding, position);
        value.addConstructedComponent(component);
    }
}

void ___getContentsFromEncoding(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
{
    DecodingLevel level(encoding);
    if (!value.isConstructed())
        CASN1Decoder::decodePrimitive(value, encoding, length);
    else
        CASN1Decoder::decodeComponents(value, encoding, length);
}

void ___buildFromEncoding(CASN1Type& value, CDEREncoding& encoding)
{
    CASN1Decoder::decodeAt(&value, nullptr, encoding, encoding.GetPosition());
}

CASN1Type* ___buildFromEncoding(CDEREncoding& encoding)
{
    CASN1Type* value = nullptr;
    CASN1Decoder::decodeAt(nullptr, &value, encoding, encoding.GetPosition());
    return value;
}

CASN1Type* ___makeASN1Class(unsigned char identifier)
{
    switch (identifier) {
    case 1: return new CASN1_BOOLEAN;
    case 2: return new CASN1_INTEGER;
    case 3: return new CASN1_BIT_STRING;
    case 4: return new CASN1_OCTET_STRING;
    case 5: return new CASN1_NULL;
    case 6: return new CASN1_OBJECT_IDENTIFIER;
    case 10: return new CASN1_ENUMERATED;
    case 16: return new CASN1_SEQUENCE;
    case 17: return new CASN1_SET;
    case 19: return new CASN1_PrintableString;
    case 20: return new CASN1_T61String;
    case 22: return new CASN1_IA5String;
    case 23: return new CASN1_UTCTime;
    case 28: return new CASN1_UniversalString;
    case 30: return new CASN1_BMPString;
    default: return new CASN1_TAGGED(identifier, FALSE);
    }
}
