#pragma once
// Response parsers: decoded LDAP messages to data-model objects, and the
// names of the LDAP result codes.
#include "dirlink/dirclient/ext_response.h"
#include "dirlink/dirclient/search_result.h"
#include "vaultcore/vaultcore.h"

// Fills `result` from a search entry (kind entry: the DN and every
// attribute with its values), reference (kind reference: the URLs) or done
// message (kind done: the result part and the non-standard total count).
// Returns 1 when the message was understood; 0 leaves `result` untouched
// when the message is not a valid LDAP message, and cleared for any other
// operation or a part that cannot be read. Decoding errors are caught.
DIRLINK_API int ldapParseSearchResponse(CASN1Type& message, CSearchResult& result);

// Fills `result` from an extended response: the result part, the response
// name and the response value, each taken from the [0]/[1] components or,
// when those are absent, from the [10]/[11] ones servers following RFC 4511
// send (slapd's Who-am-I answer "dn:..." among them). Without a value a held
// one is released. Returns 1, or 0 when the result part cannot be read.
DIRLINK_API int ldapParseExtResponse(CASN1_ExtendedResponse& response, CExtResponse& result);

// Extension for the responses the manager reads (bind, modify, add, delete,
// modify DN, compare): fills `result` from the LDAPResult members at the
// head of an operation's body: resultCode, its text, matchedDN,
// errorMessage and the referral URLs appended in order. Returns 1, or 0 when
// the members are not there. Decoding errors are caught.
DIRLINK_API int ldapParseResult(CASN1Type& response, CResultInfo& result);

// "%u (0x%x) - name", e.g. "49 (0x31) - invalidCredentials"; codes without a
// name end in "<unknown code>" or "<reserved code>".
DIRLINK_API CString ldapResultToString(unsigned long code);
