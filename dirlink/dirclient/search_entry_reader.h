#pragma once
// Extension for the speed of long searches: search entries read straight
// from the bytes of the message, without the generic value tree that the
// general decoding (CASN1_LDAPMessage, ldapParseSearchResponse) builds and
// validates first.
//
// Only the strict DER form that servers send is read here: definite lengths
// in their shortest form, primitive strings, the message ID as a
// non-negative INTEGER of at most four octets, the entry's members with
// exactly their tags, nothing after the last member at any level. Anything
// else is left to the general decoding, which knows every form; for what is
// read here both ways give the same result.
#include "dirlink/dirclient/search_result.h"

// The message ID of a complete LDAPMessage in that form; FALSE when its
// first octets are not "SEQUENCE { INTEGER" in it.
DIRLINK_API BOOL ldapPeekMessageId(const unsigned char* message, unsigned long size, DWORD& messageId);

// Fills `result` (kind entry: the DN and each attribute with its values, in
// order) from a complete LDAPMessage that holds a searchResEntry in that
// form, and its ID into messageId. Returns 1; 0 leaves both untouched.
DIRLINK_API int ldapReadSearchEntry(const unsigned char* message, unsigned long size, DWORD& messageId,
                                    CSearchResult& result);
