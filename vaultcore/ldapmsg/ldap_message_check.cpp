#include "vaultcore/ldapmsg/ldap_message_check.h"

#include <cstring>

namespace {

// Operations whose body starts with the members of LDAPResult.
const char* const kResultOperations[] = {
    "bindResponse", "searchResDone", "modifyResponse", "addResponse",     "delResponse",
    "modDNResponse", "compareResponse", "sessionResponse", "resumeError", "extendedResp",
};

bool carriesResult(const char* operation)
{
    for (const char* name : kResultOperations) {
        if (std::strcmp(name, operation) == 0)
            return true;
    }
    return false;
}

const char* const kNotValid = "not a valid LDAP message";

}  // namespace

CString DescribeLdapMessage(CDEREncoding& der, BOOL* valid)
{
    if (valid)
        *valid = FALSE;
    CString text;
    try {
        CASN1_LDAPMessage message(der);
        if (der.bytesLeft() != 0)
            return kNotValid;
        unsigned long messageID = 0;
        if (!message.get_messageID().GetInteger(messageID))
            return kNotValid;
        CASN1_ProtocolOpChoice operation = message.get_protocolOp();
        const char* name = operation.alternativeName();
        text.Format("messageID %lu: %s", messageID, name);
        if (carriesResult(name)) {
            // A valid result operation is constructed and starts with its ENUMERATED code.
            const CASN1_CONSTRUCTED_TYPE* body = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(&operation.value());
            const CASN1_INTEGER* code = body && body->getComponentCount() > 0 ? dynamic_cast<const CASN1_INTEGER*>(body->getComponentAt(0)) : nullptr;
            unsigned long resultCode = 0;
            if (code && code->GetInteger(resultCode)) {
                CString suffix;
                suffix.Format(", resultCode %lu", resultCode);
                text += suffix;
            }
        }
    } catch (CDERDecodingException* e) {
        e->Delete();
        return kNotValid;
    }
    if (valid)
        *valid = TRUE;
    return text;
}
