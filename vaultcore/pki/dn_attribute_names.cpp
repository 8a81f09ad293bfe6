#include "vaultcore/pki/dn_attribute_names.h"

#include <cstring>

#include "vaultcore/asn1/object_identifiers.h"

namespace {
template <class OID>
CASN1_OBJECT_IDENTIFIER* makeOID()
{
    return new OID;
}

typedef CASN1_OBJECT_IDENTIFIER* (*OIDMaker)();

#define VC_DN_ATTRIBUTE_MAKER(enumerator, text, oid) makeOID<oid>,
const OIDMaker kMakers[] = {VC_DN_ATTRIBUTE_TABLE(VC_DN_ATTRIBUTE_MAKER)};
#undef VC_DN_ATTRIBUTE_MAKER

const int kRows = (int)(sizeof kMakers / sizeof kMakers[0]);

// The identifiers' contents octets, made once: decoding compares every
// attribute type of every name with them.
struct OIDContents {
    unsigned char bytes[kRows][16];
    unsigned long lengths[kRows];
    OIDContents()
    {
        for (int row = 0; row < kRows; ++row) {
            CASN1_OBJECT_IDENTIFIER* oid = kMakers[row]();
            lengths[row] = oid->contentsLength();
            std::memcpy(bytes[row], oid->contentsData(), lengths[row]);
            delete oid;
        }
    }
};

const OIDContents& oidContents()
{
    static const OIDContents contents;
    return contents;
}
}  // namespace

#define VC_DN_ATTRIBUTE_TEXT(enumerator, text, oid) text,
const char* const szDNAttrName[] = {VC_DN_ATTRIBUTE_TABLE(VC_DN_ATTRIBUTE_TEXT)};
#undef VC_DN_ATTRIBUTE_TEXT

static_assert(sizeof szDNAttrName / sizeof szDNAttrName[0] == 24, "the name model knows 24 attribute types");

const char* const kUnknownDNAttrName = "Unknown";

int AfxGetLenArrayOfDNAttrName()
{
    return kRows;
}

int ___findDNAttrByName(const CString& name)
{
    for (int row = 0; row < kRows; ++row)
        if (name == CString(szDNAttrName[row]))  // whole strings: a value may hold zero bytes
            return row;
    return -1;
}

int ___findDNAttrByOID(const CASN1_OBJECT_IDENTIFIER& oid)
{
    const OIDContents& table = oidContents();
    const unsigned long length = oid.contentsLength();
    for (int row = 0; row < kRows; ++row)
        if (table.lengths[row] == length && std::memcmp(table.bytes[row], oid.contentsData(), length) == 0)
            return row;
    return -1;
}

CASN1_OBJECT_IDENTIFIER* ___newDNAttrOID(int row)
{
    return row >= 0 && row < kRows ? kMakers[row]() : nullptr;
}
