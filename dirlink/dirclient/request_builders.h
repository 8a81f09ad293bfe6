#pragma once
// Request builders: each assembles one complete LDAP message (the message
// ID given, no controls) and replaces `output` with its DER encoding. They
// do not validate their input. Text arguments are taken up to their
// terminating zero; a null DN or name gives an empty OCTET STRING.
//
// The builders with an attribute-name form flag (the last argument) pass
// the type of every attribute description of their attribute lists, filters
// and assertions through AdjustAttribute: non-zero sends names ("cn"), zero
// dotted-decimal object identifiers ("2.5.4.3"); options go as written
// ("cn;lang-de"), and a name the schema table does not know goes as written.
//
// Search requests: scope 0 base object, 1 single level, 2 whole subtree;
// derefAliases 0 never, 1 in searching, 2 finding the base object, 3 always;
// size and time limit 0 mean none. A non-zero pageSizeLimit adds the
// non-standard [0] page-size component after the attribute list.
#include "dirlink/dirclient/modification.h"
#include "dirlink/dirclient/search_filter.h"

// bindRequest: version, name, simple authentication with the password
// bytes (a null password gives an empty credential).
DIRLINK_API void ldapCreateBindRequest(unsigned long messageID, unsigned long version, const char* name,
                                       const char* password, CByteArray& output);
// unbindRequest.
DIRLINK_API void ldapCreateUnbindRequest(unsigned long messageID, CByteArray& output);
// searchRequest with the filter (attribute=*), all attributes.
DIRLINK_API void ldapCreateSearchWithPresentAttrRequest(unsigned long messageID, const char* base,
                                                        unsigned long scope, unsigned long derefAliases,
                                                        unsigned long sizeLimit, unsigned long timeLimit,
                                                        int typesOnly, const char* attribute,
                                                        unsigned long pageSizeLimit, CByteArray& output);
// searchRequest with the filter (attribute=value), or (attribute~=value)
// when approximate is non-zero; all attributes.
DIRLINK_API void ldapCreateSearchWithEqualityRequest(unsigned long messageID, const char* base, unsigned long scope,
                                                     unsigned long derefAliases, unsigned long sizeLimit,
                                                     unsigned long timeLimit, int typesOnly, const char* attribute,
                                                     const char* value, unsigned long pageSizeLimit, int approximate,
                                                     CByteArray& output);
// searchRequest with a substring filter: the initial text, each non-empty
// string of `any` in order and the final text (empty ones are left out);
// all attributes.
DIRLINK_API void ldapCreateSearchSubstringRequest(unsigned long messageID, const char* base, unsigned long scope,
                                                  unsigned long derefAliases, unsigned long sizeLimit,
                                                  unsigned long timeLimit, unsigned long pageSizeLimit,
                                                  int typesOnly, const char* attribute, const char* initial,
                                                  const CStringArray& any, const char* final, CByteArray& output);
// searchRequest with the filter tree converted to the protocol's filter and
// one attribute description per element of `attributes`. The conversion
// leaves out empty filters (rule 0) and nodes without data, an AND or OR
// keeps the operands that convert to something, a NOT of nothing is nothing;
// when the whole tree converts to nothing the request has no filter
// component. Assertion and extensible values that are absent go as empty
// values. Callers send filters for which IsComplete(1) holds.
DIRLINK_API void ldapCreateSearchRequest(unsigned long messageID, const char* base, unsigned long scope,
                                         unsigned long derefAliases, unsigned long sizeLimit,
                                         unsigned long timeLimit, unsigned long pageSizeLimit, int typesOnly,
                                         const CSearchFilter& filter, const CStringArray& attributes,
                                         CByteArray& output, int nameForm);
// modifyRequest: one change per non-null item, in order, each with the
// item's operation and its attribute's non-null values.
DIRLINK_API void ldapCreateModifyRequest(unsigned long messageID, const char* dn,
                                         const CModificationArray& modifications, CByteArray& output, int nameForm);
// addRequest: one attribute per non-null element, with its non-null values.
DIRLINK_API void ldapCreateAddRequest(unsigned long messageID, const char* dn, const CAttributeArray& attributes,
                                      CByteArray& output, int nameForm);
// delRequest.
DIRLINK_API void ldapCreateDeleteRequest(unsigned long messageID, const char* dn, CByteArray& output);
// modDNRequest; newSuperior is sent whenever the pointer is not null (also
// when the text is empty).
DIRLINK_API void ldapModifyDnRequest(unsigned long messageID, const char* dn, const char* newRdn, int deleteOldRdn,
                                     const char* newSuperior, CByteArray& output);
// compareRequest for the assertion's description and value (an absent
// value goes as an empty one).
DIRLINK_API void ldapCompareRequest(unsigned long messageID, const char* dn, const CAttributeValueAssertion& assertion,
                                    CByteArray& output, int nameForm);
// extendedReq with the request name (an object identifier as text) and,
// when `value` is not null, its bytes as requestValue; a null value leaves
// requestValue out (Who-am-I and other operations without a value), an
// empty one sends it empty. The int argument is not used.
DIRLINK_API void ldapExtendedRequest(unsigned long messageID, const char* requestName, const CUniDataHolder* value,
                                     int unused, CByteArray& output);
