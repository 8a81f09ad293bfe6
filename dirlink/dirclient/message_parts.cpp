#include "dirlink/dirclient/message_parts.h"

#include <cstring>

#include "dirlink/dirschema/attribute_description.h"

namespace dirclient {

CASN1_OCTET_STRING* octets(const char* text)
{
    return new CASN1_OCTET_STRING((const unsigned char*)(text ? text : ""), text ? std::strlen(text) : 0);
}

CASN1_OCTET_STRING* octets(const CUniDataHolder* value)
{
    if (!value || value->GetSize() == 0)
        return new CASN1_OCTET_STRING((const unsigned char*)"", 0);
    return new CASN1_OCTET_STRING(const_cast<unsigned char*>(value->GetData()), value->GetSize(), FALSE, FALSE);
}

CASN1_OCTET_STRING* description(const char* text, int nameForm)
{
    // AdjustAttribute converts the type and drops the options; a request
    // keeps them, or deleting "mail;x-tag" would delete every mail value and
    // a value added as "cn;lang-de" would lose its language.
    CString type;
    CStringArray options;
    ParseAttributeDescription(text ? text : "", type, &options);
    AdjustAttribute(type, nameForm);
    for (int i = 0; i < options.GetSize(); ++i) {
        type += ';';
        type += options[i];
    }
    return new CASN1_OCTET_STRING(type);
}

CASN1_TAGGED* implicitly(unsigned char identifier, CASN1Type& value)
{
    CASN1_TAGGED* tagged = new CASN1_TAGGED(identifier, FALSE);
    value.OnOffClearAfterGet(1);
    value.buildImplicitTAGGED(*tagged);
    return tagged;
}

CASN1_TAGGED* implicitly(unsigned char identifier, CASN1Type&& value)
{
    return implicitly(identifier, value);
}

CASN1_TAGGED* constructed(unsigned char identifier)
{
    return new CASN1_TAGGED(identifier, FALSE);
}

void encodeMessage(unsigned long messageID, std::unique_ptr<CASN1Type> operation, CByteArray& output)
{
    CASN1_LDAPMessage message;
    message.AddObject(new CASN1_INTEGER(messageID));
    message.AddObject(operation.release());
    message.encodeTo(output);
}

}  // namespace dirclient
