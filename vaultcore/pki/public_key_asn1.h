#pragma once
// RSA public keys in DER:
//   RSAPublicKey ::= SEQUENCE { modulus INTEGER, publicExponent INTEGER }   (PKCS #1)
//   SubjectPublicKeyInfo ::= SEQUENCE { algorithm AlgorithmIdentifier,
//                                       subjectPublicKey BIT STRING }     (X.509)
// with the RSAPublicKey's DER as the BIT STRING's content. Keys of up to
// 2048 bits fit the records (256-octet fields).
#include "vaultcore/crypto/rsa_public_key.h"
#include "vaultcore/pki/algorithm_identifier.h"
#include "vaultcore/pki/record_conversion.h"

class CCertificate;

// Valid with two INTEGERs of at most 257 clear octets each.
class VAULTCORE_API CASN1_PublicKey : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_PublicKey, CASN1_SEQUENCE)
    // SetDataTo sets the key's bits to the modulus's significant bits;
    // numbers that do not fit 256 octets throw CDERDecodingException
    // "PublicKey contents is not valid (invalid modulus)" (or "... public
    // exponent)").
    ASN1_RECORD_CONVERSION(CASN1_PublicKey, CRSAPublicKey)
    // Adopts both.
    CASN1_PublicKey(CASN1_INTEGER* modulus, CASN1_INTEGER* exponent);
    ASN1_MEMBER(CASN1_INTEGER, modulus)
    ASN1_MEMBER(CASN1_INTEGER, publicExponent)
};

// Valid when the BIT STRING holds whole octets that decode to a valid
// CASN1_PublicKey.
class VAULTCORE_API CASN1_SubjectPublicKeyInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SubjectPublicKeyInfo, CASN1_SEQUENCE)
    // Writes rsaEncryption with NULL parameters. Reads modulus and exponent
    // (CDERDecodingException "SubjectPublicKeyInfo contents is not valid
    // (invalid modulus)" / "(invalid public exponent)" when they do not fit)
    // and the modulus bits: an INTEGER parameter gives them (at most 65535),
    // NULL or no parameter makes them the modulus's significant bits, and
    // another parameter throws "... (invalid algorithm identifier
    // parameter)". The algorithm itself is not compared.
    ASN1_RECORD_CONVERSION(CASN1_SubjectPublicKeyInfo, CCertificate)
    // The same with a key; SetDataTo also throws when the bits exceed 2048.
    explicit CASN1_SubjectPublicKeyInfo(const CRSAPublicKey& key);
    void GetDataFrom(const CRSAPublicKey& key);
    void SetDataTo(CRSAPublicKey& key) const;
    // Adopts both.
    CASN1_SubjectPublicKeyInfo(CASN1_AlgorithmIdentifier* algorithm, CASN1_BIT_STRING* subjectPublicKey);
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, algorithm)
    ASN1_MEMBER(CASN1_BIT_STRING, subjectPublicKey)

private:
    void getKey(const unsigned char* modulus, const unsigned char* exponent);
    void setKey(WORD& bits, unsigned char* modulus, unsigned char* exponent) const;
};
