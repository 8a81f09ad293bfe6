#pragma once
// Checking a stored LDAP message from the command line and diagnostics.
#include "vaultcore/ldapmsg/ldap_message.h"

// Decodes one LDAP message from the encoding's position and validates it.
// Returns one line: "messageID <n>: <operation>" followed by
// ", resultCode <code>" for operations that carry a result, or
// "not a valid LDAP message" when decoding or validation fails or octets
// follow the message. valid (when given) receives whether it was valid.
VAULTCORE_API CString DescribeLdapMessage(CDEREncoding& der, BOOL* valid = nullptr);
