#pragma once
// Pieces the request builders assemble messages from (internal).
#include <memory>

#include "dirlink/dirclient/uni_data_holder.h"
#include "vaultcore/vaultcore.h"

namespace dirclient {

// An OCTET STRING holding a copy of the text (empty for null).
CASN1_OCTET_STRING* octets(const char* text);
// An OCTET STRING over the holder's bytes in place (the holder must outlive
// the encoding); empty for a null holder.
CASN1_OCTET_STRING* octets(const CUniDataHolder* value);
// The attribute description with its type passed through
// AdjustAttribute(nameForm) and its options kept ("2.5.4.3;lang-de").
CASN1_OCTET_STRING* description(const char* text, int nameForm);
// A primitive value under an implicit tag: the contents of `value` moved
// under `identifier`.
CASN1_TAGGED* implicitly(unsigned char identifier, CASN1Type&& value);
CASN1_TAGGED* implicitly(unsigned char identifier, CASN1Type& value);
// A constructed value under a context or application tag, empty for now.
CASN1_TAGGED* constructed(unsigned char identifier);
// The message around an operation; replaces output with its encoding.
void encodeMessage(unsigned long messageID, std::unique_ptr<CASN1Type> operation, CByteArray& output);

}  // namespace dirclient
