#pragma once
// What the PKCS #7 classes share: the version check of their validators,
// and the implicitly tagged SET OF components ([0] certificates, [1]
// revocation lists, [0]/[1] attributes) read out of a message and put in.
// Internal to the library.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// The tagged value of a [n] IMPLICIT member ([0] 0x80, [1] 0x81).
const unsigned char kPKCS7Tag0 = 0x80;
const unsigned char kPKCS7Tag1 = 0x81;

// Is the first component of a validated structure an INTEGER of value
// expected. An INTEGER that cannot be read as a number raises the decoding
// exception with unreadable and catches it here, so the caller sees FALSE.
BOOL ___pkcs7VersionIs(const CASN1Type* structure, unsigned long expected, const char* unreadable);

// Does the component at index exist and carry the identifier.
BOOL ___pkcs7ComponentCarries(const CASN1TypeArray& components, int index, unsigned char identifier);

// Fills target from the implicitly tagged component at index (fromImplicit):
// with take the contents move out of the message (its component stays,
// empty), otherwise they are copied. Throws CDERDecodingException naming
// className and member when there is no such component or target does not
// take its contents (a SET from a primitive [0] ...).
void ___pkcs7FromImplicit(const CASN1TypeArray& components, int index, CASN1Type& target, BOOL take,
                          const char* className, const char* member);

// A new [n] tagged value holding copies of the set's members (moved when
// the set's clear-after-get flag is set); the caller owns it.
CASN1_TAGGED* ___pkcs7ImplicitSet(CASN1_SET& set, unsigned char identifier);

// Puts tagged (adopted) at index: in place of the component there, which
// is deleted, when replace is set; else inserted before it.
void ___pkcs7PutComponent(CASN1TypeArray& components, int index, BOOL replace, CASN1_TAGGED* tagged);
