// The typed and generic decoders and the class made for each identifier.
#include <memory>

#include "vaultcore/asn1/asn1_type.h"
#include "vaultcore/asn1/universal_types.h"

namespace {
const char* const kHighTagMessage = "High tag number form is not supported";

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

// Counts one level of nesting on the encoding for as long as it lives.
class DepthGuard {
public:
    explicit DepthGuard(CDEREncoding& encoding) : m_encoding(encoding)
    {
        if (++m_encoding.m_nDecodingDepth > kMaxDecodingDepth) {
            --m_encoding.m_nDecodingDepth;
            ___throwDERDecodingException("Nesting deeper than %u levels", kMaxDecodingDepth);
        }
    }
    ~DepthGuard() { --m_encoding.m_nDecodingDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    CDEREncoding& m_encoding;
};
}  // namespace

// Reaches the protected decoding hooks of the value classes.
struct CASN1Decoder {
    static void decodeAfterIdentifier(CASN1Type& value, CDEREncoding& encoding, unsigned char identifier);
    static void decodeComponents(CASN1Type& value, CDEREncoding& encoding, unsigned long length);
    static void setContents(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
    {
        value.setContents(encoding, length);
    }
};

// Steps after the identifier: form checks, length and contents.
void CASN1Decoder::decodeAfterIdentifier(CASN1Type& value, CDEREncoding& encoding, unsigned char identifier)
{
    DepthGuard depth(encoding);
    unsigned char first = encoding.ReadByte();
    if (!(identifier & kASN1ConstructedBit)) {
        if (!value.allowsPrimitive())
            ___throwDERDecodingException("Encoded type does not allow primitive encoding method");
        value.setConstructed(FALSE);
        value.setIndefinite(FALSE);
        unsigned long length = readDefiniteLength(encoding, first);
        if (length > encoding.bytesLeft())
            ___throwDERDecodingException("Unexpected end of file");
        value.setContents(encoding, length);
        return;
    }
    if (!value.allowsConstructed())
        ___throwDERDecodingException("Encoded type does not allow constructed encoding method");
    value.setConstructed(TRUE);
    value.setIndefinite(first == 0x80);
    decodeComponents(value, encoding, first == 0x80 ? 0 : readDefiniteLength(encoding, first));
}

// Components up to the end-of-contents marker (indefinite) or over length octets.
void CASN1Decoder::decodeComponents(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
{
    if (value.isIndefinite()) {
        while (!encoding.reached00())
            value.addConstructedComponent(___buildFromEncoding(encoding));
        return;
    }
    if (length > encoding.bytesLeft())
        ___throwDERDecodingException("Unexpected end of file");
    unsigned long end = (unsigned long)encoding.Seek(0, CFile::current) + length;
    while ((unsigned long)encoding.Seek(0, CFile::current) < end)
        value.addConstructedComponent(___buildFromEncoding(encoding));
}

void ___getContentsFromEncoding(CASN1Type& value, CDEREncoding& encoding, unsigned long length)
{
    if (!value.isConstructed()) {
        if (length > encoding.bytesLeft())
            ___throwDERDecodingException("Unexpected end of file");
        CASN1Decoder::setContents(value, encoding, length);
        return;
    }
    DepthGuard depth(encoding);
    CASN1Decoder::decodeComponents(value, encoding, length);
}

void ___buildFromEncoding(CASN1Type& value, CDEREncoding& encoding)
{
    unsigned char identifier = readIdentifier(encoding);
    if ((identifier & kASN1ClassAndTagMask) != (value.getIdentifier() & kASN1ClassAndTagMask))
        ___throwDERDecodingException("Another class and tag number expected");
    CASN1Decoder::decodeAfterIdentifier(value, encoding, identifier);
}

CASN1Type* ___buildFromEncoding(CDEREncoding& encoding)
{
    unsigned char identifier = readIdentifier(encoding);
    std::unique_ptr<CASN1Type> value(___makeASN1Class(identifier & kASN1ClassAndTagMask));
    CASN1Decoder::decodeAfterIdentifier(*value, encoding, identifier);
    return value.release();
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
