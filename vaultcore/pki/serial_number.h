#pragma once
// CSerialNumber: a certificate serial number, held as the big-endian content
// octets of its INTEGER. Two serial numbers are equal when their values are,
// whatever leading zero octets either carries.
#include "platform/afx.h"
#include "vaultcore/asn1/der_encoding.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CSerialNumber : public CByteArrayPro {
    DECLARE_SERIAL(CSerialNumber)
public:
    CSerialNumber() = default;
    // A copy of length octets at data (nothing for null data or a length
    // below 1).
    CSerialNumber(unsigned char* const data, int length);
    CSerialNumber(const CSerialNumber& other);
    CSerialNumber& operator=(const CSerialNumber& other);

    const unsigned char* GetData() const { return CByteArrayPro::GetData(); }
    // Two upper-case hexadecimal digits per octet, leading zeros included.
    operator CString() const;
    // Replaces the number by 24 octets: 3 random octets, the MD5 digest of
    // the old octets, 5 random octets. Random octets are never zero.
    void RandomPermutation();
    // Archive form: the byte array's own (count, then the octets).
};

// Numeric equality of the two unsigned big-endian values.
VAULTCORE_API BOOL operator==(const CSerialNumber& a, const CSerialNumber& b);
VAULTCORE_API BOOL operator!=(const CSerialNumber& a, const CSerialNumber& b);
