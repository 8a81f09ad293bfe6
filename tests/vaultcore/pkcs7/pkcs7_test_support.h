#pragma once
// Helpers of the PKCS #7 tests: the data folder, DER written piece by piece,
// and validation of hand-made values.
#include <string>
#include <vector>

#include "vaultcore/pki/pki_test_support.h"

inline std::string pkcs7Data(const std::string& name)
{
    return std::string(VC_TEST_DATA) + "/pkcs7/" + name;
}

// One value: identifier, definite length and the parts one after another.
inline Bytes tlv(unsigned char identifier, const std::vector<Bytes>& parts)
{
    Bytes contents;
    for (const Bytes& part : parts)
        contents.insert(contents.end(), part.begin(), part.end());
    Bytes out{identifier};
    if (contents.size() < 0x80) {
        out.push_back((unsigned char)contents.size());
    } else {
        out.push_back(0x82);
        out.push_back((unsigned char)(contents.size() >> 8));
        out.push_back((unsigned char)contents.size());
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

inline Bytes bytesOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

// Decodes generically and asks the validator; false when decoding fails.
inline bool validates(BOOL (*isValid)(const CASN1Type*, int), const Bytes& der)
{
    std::unique_ptr<CASN1Type> value = decodeGeneric(der);
    return value && isValid(value.get(), 0);
}

// The parts of messages that the tables combine.
namespace pkcs7_parts {
const Bytes kVersion0 = hexBytes("02 01 00"), kVersion1 = hexBytes("02 01 01"), kVersion3 = hexBytes("02 01 03");
// Five octets of value: more than GetInteger reads.
const Bytes kUnreadableVersion = hexBytes("02 05 01 00 00 00 01");
const Bytes kDataType = hexBytes("06 09 2A 86 48 86 F7 0D 01 07 01");
const Bytes kSha1 = tlv(0x30, {hexBytes("06 05 2B 0E 03 02 1A"), hexBytes("05 00")});
const Bytes kRsa = tlv(0x30, {hexBytes("06 09 2A 86 48 86 F7 0D 01 01 01"), hexBytes("05 00")});
const Bytes kDesCbc = tlv(0x30, {hexBytes("06 05 2B 0E 03 02 07"), hexBytes("04 08 01 02 03 04 05 06 07 08")});
const Bytes kEmptySet = tlv(0x31, {});
const Bytes kDataInfo = tlv(0x30, {kDataType});
const Bytes kIssuerAndSerial = tlv(0x30, {tlv(0x30, {}), hexBytes("02 01 07")});
const Bytes kOctets = hexBytes("04 03 AA BB CC");
const Bytes kAttribute = tlv(0x30, {hexBytes("06 09 2A 86 48 86 F7 0D 01 09 03"), tlv(0x31, {kDataType})});
const Bytes kEncryptedContentInfo = tlv(0x30, {kDataType, kDesCbc, hexBytes("80 08 11 22 33 44 55 66 77 88")});

inline Bytes signerInfo(const Bytes& version, const std::vector<Bytes>& authenticated = {},
                        const std::vector<Bytes>& unauthenticated = {})
{
    std::vector<Bytes> parts{version, kIssuerAndSerial, kSha1};
    parts.insert(parts.end(), authenticated.begin(), authenticated.end());
    parts.push_back(kRsa);
    parts.push_back(kOctets);
    parts.insert(parts.end(), unauthenticated.begin(), unauthenticated.end());
    return tlv(0x30, parts);
}
}  // namespace pkcs7_parts
