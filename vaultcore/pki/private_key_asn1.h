#pragma once
// The PKCS #1 RSA private key in DER and its conversion to and from
// CRSAPrivateKey:
//   RSAPrivateKey ::= SEQUENCE {
//       version INTEGER, modulus INTEGER, publicExponent INTEGER,
//       privateExponent INTEGER, prime1 INTEGER, prime2 INTEGER,
//       exponent1 INTEGER, exponent2 INTEGER, coefficient INTEGER }
// (RFC 8017 appendix A.1.2, version 0: two primes). Keys of up to 2048 bits
// fit the key's fields. The numbers are wiped when the value goes.
#include "vaultcore/asn1/universal_types.h"
#include "vaultcore/crypto/rsa_private_key.h"
#include "vaultcore/pki/record_conversion.h"

// Valid with exactly nine INTEGERs, version 0, at most 257 clear octets in
// each of the modulus and the two exponents and at most 129 in each of the
// five prime-sized numbers.
class VAULTCORE_API CASN1_PrivateKey : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_PrivateKey, CASN1_SEQUENCE)
    // GetDataFrom writes version 0 and the key's eight numbers. SetDataTo
    // reads them in order (not the version) and sets the key's bits to the
    // modulus's significant bits; a number that does not fit its field
    // throws CDERDecodingException "PribvateKey contents is not valid
    // (invalid modulus)", "PrivateKey contents is not valid (invalid public
    // exponent)" ... "(invalid (inverse of q) mod p)", the key unchanged.
    ASN1_RECORD_CONVERSION(CASN1_PrivateKey, CRSAPrivateKey)
    ~CASN1_PrivateKey() override;
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_INTEGER, modulus)
    ASN1_MEMBER(CASN1_INTEGER, publicExponent)
    ASN1_MEMBER(CASN1_INTEGER, privateExponent)
    ASN1_MEMBER(CASN1_INTEGER, prime1)
    ASN1_MEMBER(CASN1_INTEGER, prime2)
    ASN1_MEMBER(CASN1_INTEGER, exponent1)
    ASN1_MEMBER(CASN1_INTEGER, exponent2)
    ASN1_MEMBER(CASN1_INTEGER, coefficient)
};
