#pragma once
// The symmetric keys: CKey holds the key bytes; one derived class per
// cipher fixes their count and validity. New keys are filled from
// CRandomsGenerator (so they never hold a zero byte).
//
// Archive form (schema 1): a version byte 1, then the key bytes; the count
// is not stored, so a loading key must already have the right size.
// Version 0 (eight trailing bytes) is still read. CRC2key writes a byte 0
// and its 16-bit effective bits in front.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

// Sets bit 7 of every byte so that the byte has an odd number of one bits.
VAULTCORE_API void AdjustDESKeyParity(unsigned char* p, unsigned long n);
// True when every byte has odd parity (true for n = 0).
VAULTCORE_API BOOL IsDESKeyParityOK(const unsigned char* p, unsigned long n);

class VAULTCORE_API CKey : public CObject {
    DECLARE_SERIAL(CKey)
public:
    CKey() = default;
    // n random bytes.
    explicit CKey(unsigned short n);
    CKey(const CKey& other);
    CKey& operator=(const CKey& other);
    ~CKey() override;

    void Serialize(CArchive& ar) override;
    virtual BOOL IsValid() const;

    // Replaces the key bytes; returns IsValid().
    BOOL Set(const unsigned char* p, unsigned long n);
    const unsigned char* Data() const { return m_key.GetData(); }
    unsigned long Size() const { return (unsigned long)m_key.GetSize(); }

protected:
    void fillRandom(unsigned short n);

    CByteArray m_key;
};

// DES: 8 bytes of odd parity.
class VAULTCORE_API CDESkey : public CKey {
    DECLARE_SERIAL(CDESkey)
public:
    CDESkey();
    BOOL IsValid() const override;
};

// Three-key triple DES: 24 bytes (K1, K2, K3); parity is set but not checked.
class VAULTCORE_API CTripleDESkey : public CKey {
    DECLARE_SERIAL(CTripleDESkey)
public:
    CTripleDESkey();
    BOOL IsValid() const override;
};

// IDEA: 16 bytes.
class VAULTCORE_API CIDEAkey : public CKey {
    DECLARE_SERIAL(CIDEAkey)
public:
    CIDEAkey();
    BOOL IsValid() const override;
};

// RC2: (bits + 7) / 8 bytes (at most 128) and the effective key bits, one
// of 40, 64, 128 and 255.
class VAULTCORE_API CRC2key : public CKey {
    DECLARE_SERIAL(CRC2key)
public:
    explicit CRC2key(unsigned short bits = 128);
    CRC2key(const CRC2key& other);
    CRC2key& operator=(const CRC2key& other);

    void Serialize(CArchive& ar) override;
    BOOL IsValid() const override;

    unsigned short GetBits() const { return m_wBits; }
    void SetBits(unsigned short bits) { m_wBits = bits; }

    static BOOL IsValidBits(unsigned short bits);
    // The RC2 parameter version of RFC 2268 that stands for the bits.
    static BOOL IsValidVersion(unsigned short version);
    static unsigned short BitsToVersion(unsigned short bits);
    static unsigned short VersionToBits(unsigned short version);

protected:
    WORD m_wBits;
};

// RC5: 5 random bytes; any length below 256 is valid.
class VAULTCORE_API CRC5key : public CKey {
    DECLARE_SERIAL(CRC5key)
public:
    CRC5key();
    BOOL IsValid() const override;
};
