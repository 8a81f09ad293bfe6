#pragma once
// Distinguished names typed on the command line, root first, in either of
// two forms:
//   openssl's  "/C=DE/O=Example/OU=Mail+CN=Ann/emailAddress=ann@example.com"
//   commas     "C=DE, O=Example, OU=Mail+CN=Ann, emailAddress=ann@example.com"
// '+' joins values into one relative name, '\' escapes the next character.
// Types: C ST L O OU CN SN title street postalCode postalAddress
// postOfficeBox physicalDeliveryOfficeName telephoneNumber emailAddress.
// Values are PrintableString where the text allows it, T61String for
// other text, IA5String for e-mail addresses (openssl's string_mask =
// default).
#include <string>

#include "vaultcore/vaultcore.h"

// Throws UsageError naming the option for text that is not such a name.
CDistinguishedName ParseSubjectName(const std::string& text, const std::string& option);
