#include "dirlink/dirclient/request_builders.h"

#include "dirlink/dirclient/filter_conversion.h"
#include "dirlink/dirclient/message_parts.h"

using namespace dirclient;

namespace {

// Tags of the operations and their parts that have no class of their own.
const unsigned char kUnbindRequest = 0x42, kDelRequest = 0x4A;
const unsigned char kSimple = 0x80, kPageSizeLimit = 0x80, kNewSuperior = 0x80;
const unsigned char kRequestName = 0x80, kRequestValue = 0x81;
const unsigned char kEquality = 0x83, kSubstrings = 0x84, kPresent = 0x87, kApprox = 0x88;
const unsigned char kInitial = 0x80, kAny = 0x81, kFinal = 0x82;

bool isEmptyText(const char* text)
{
    return !text || !*text;
}

// The search request around a filter (null: no filter component).
void encodeSearch(unsigned long messageID, const char* base, unsigned long scope, unsigned long derefAliases,
                  unsigned long sizeLimit, unsigned long timeLimit, int typesOnly, std::unique_ptr<CASN1Type> filter,
                  CASN1_LDAPAttributeDescriptionList* attributes, unsigned long pageSizeLimit, CByteArray& output)
{
    std::unique_ptr<CASN1_LDAPAttributeDescriptionList> ownedAttributes(attributes);
    std::unique_ptr<CASN1_SearchRequest> search(new CASN1_SearchRequest);
    search->AddObject(octets(base));
    search->AddObject(new CASN1_ENUMERATED(scope));
    search->AddObject(new CASN1_ENUMERATED(derefAliases));
    search->AddObject(new CASN1_INTEGER(sizeLimit));
    search->AddObject(new CASN1_INTEGER(timeLimit));
    search->AddObject(new CASN1_BOOLEAN(typesOnly ? TRUE : FALSE));
    if (filter)
        search->AddObject(filter.release());
    search->AddObject(ownedAttributes.release());
    if (pageSizeLimit)
        search->AddObject(implicitly(kPageSizeLimit, CASN1_INTEGER(pageSizeLimit)));
    encodeMessage(messageID, std::move(search), output);
}

// SEQUENCE { type, SET OF value } of an attribute's non-null values.
CASN1_SEQUENCE* typeAndValues(const CAttribute& attribute, int nameForm)
{
    std::unique_ptr<CASN1_SEQUENCE> sequence(new CASN1_SEQUENCE);
    sequence->AddObject(description(attribute.m_name, nameForm));
    CASN1_SET* values = new CASN1_SET;
    sequence->AddObject(values);
    for (int i = 0; i < attribute.m_values.GetSize(); ++i)
        if (const CUniDataHolder* value = attribute.m_values[i])
            values->AddObject(octets(value));
    return sequence.release();
}

}  // namespace

void ldapCreateBindRequest(unsigned long messageID, unsigned long version, const char* name, const char* password,
                           CByteArray& output)
{
    std::unique_ptr<CASN1_BindRequest> bind(new CASN1_BindRequest);
    bind->AddObject(new CASN1_INTEGER(version));
    bind->AddObject(octets(name));
    bind->AddObject(implicitly(kSimple, *std::unique_ptr<CASN1Type>(octets(password))));
    encodeMessage(messageID, std::move(bind), output);
}

void ldapCreateUnbindRequest(unsigned long messageID, CByteArray& output)
{
    encodeMessage(messageID, std::unique_ptr<CASN1Type>(implicitly(kUnbindRequest, CASN1_NULL())), output);
}

void ldapCreateSearchWithPresentAttrRequest(unsigned long messageID, const char* base, unsigned long scope,
                                            unsigned long derefAliases, unsigned long sizeLimit,
                                            unsigned long timeLimit, int typesOnly, const char* attribute,
                                            unsigned long pageSizeLimit, CByteArray& output)
{
    std::unique_ptr<CASN1Type> filter(implicitly(kPresent, *std::unique_ptr<CASN1Type>(octets(attribute))));
    encodeSearch(messageID, base, scope, derefAliases, sizeLimit, timeLimit, typesOnly, std::move(filter),
                 new CASN1_LDAPAttributeDescriptionList, pageSizeLimit, output);
}

void ldapCreateSearchWithEqualityRequest(unsigned long messageID, const char* base, unsigned long scope,
                                         unsigned long derefAliases, unsigned long sizeLimit, unsigned long timeLimit,
                                         int typesOnly, const char* attribute, const char* value,
                                         unsigned long pageSizeLimit, int approximate, CByteArray& output)
{
    std::unique_ptr<CASN1_TAGGED> filter(constructed(approximate ? kApprox : kEquality));
    filter->AddObject(octets(attribute));
    filter->AddObject(octets(value));
    encodeSearch(messageID, base, scope, derefAliases, sizeLimit, timeLimit, typesOnly, std::move(filter),
                 new CASN1_LDAPAttributeDescriptionList, pageSizeLimit, output);
}

void ldapCreateSearchSubstringRequest(unsigned long messageID, const char* base, unsigned long scope,
                                      unsigned long derefAliases, unsigned long sizeLimit, unsigned long timeLimit,
                                      unsigned long pageSizeLimit, int typesOnly, const char* attribute,
                                      const char* initial, const CStringArray& any, const char* final,
                                      CByteArray& output)
{
    std::unique_ptr<CASN1_TAGGED> filter(constructed(kSubstrings));
    filter->AddObject(octets(attribute));
    CASN1_SEQUENCE* pieces = new CASN1_SEQUENCE;
    filter->AddObject(pieces);
    if (!isEmptyText(initial))
        pieces->AddObject(implicitly(kInitial, *std::unique_ptr<CASN1Type>(octets(initial))));
    for (int i = 0; i < any.GetSize(); ++i)
        if (!any[i].IsEmpty())
            pieces->AddObject(implicitly(kAny, CASN1_OCTET_STRING(any[i])));
    if (!isEmptyText(final))
        pieces->AddObject(implicitly(kFinal, *std::unique_ptr<CASN1Type>(octets(final))));
    encodeSearch(messageID, base, scope, derefAliases, sizeLimit, timeLimit, typesOnly, std::move(filter),
                 new CASN1_LDAPAttributeDescriptionList, pageSizeLimit, output);
}

void ldapCreateSearchRequest(unsigned long messageID, const char* base, unsigned long scope,
                             unsigned long derefAliases, unsigned long sizeLimit, unsigned long timeLimit,
                             unsigned long pageSizeLimit, int typesOnly, const CSearchFilter& filter,
                             const CStringArray& attributes, CByteArray& output, int nameForm)
{
    std::unique_ptr<CASN1_LDAPAttributeDescriptionList> list(new CASN1_LDAPAttributeDescriptionList);
    for (int i = 0; i < attributes.GetSize(); ++i)
        list->AddObject(description(attributes[i], nameForm));
    encodeSearch(messageID, base, scope, derefAliases, sizeLimit, timeLimit, typesOnly,
                 convertFilter(filter, nameForm), list.release(), pageSizeLimit, output);
}

void ldapCreateModifyRequest(unsigned long messageID, const char* dn, const CModificationArray& modifications,
                             CByteArray& output, int nameForm)
{
    std::unique_ptr<CASN1_ModifyRequest> modify(new CASN1_ModifyRequest);
    modify->AddObject(octets(dn));
    CASN1_SEQUENCE* changes = new CASN1_SEQUENCE;
    modify->AddObject(changes);
    for (int i = 0; i < modifications.GetSize(); ++i) {
        const CModification* item = modifications[i];
        if (!item)
            continue;
        CASN1_SEQUENCE* change = new CASN1_SEQUENCE;
        changes->AddObject(change);
        change->AddObject(new CASN1_ENUMERATED((unsigned long)item->m_operation));
        change->AddObject(typeAndValues(item->m_attribute, nameForm));
    }
    encodeMessage(messageID, std::move(modify), output);
}

void ldapCreateAddRequest(unsigned long messageID, const char* dn, const CAttributeArray& attributes,
                          CByteArray& output, int nameForm)
{
    std::unique_ptr<CASN1_AddRequest> add(new CASN1_AddRequest);
    add->AddObject(octets(dn));
    CASN1_SEQUENCE* list = new CASN1_SEQUENCE;
    add->AddObject(list);
    for (int i = 0; i < attributes.GetSize(); ++i)
        if (const CAttribute* attribute = attributes[i])
            list->AddObject(typeAndValues(*attribute, nameForm));
    encodeMessage(messageID, std::move(add), output);
}

void ldapCreateDeleteRequest(unsigned long messageID, const char* dn, CByteArray& output)
{
    encodeMessage(messageID,
                  std::unique_ptr<CASN1Type>(implicitly(kDelRequest, *std::unique_ptr<CASN1Type>(octets(dn)))),
                  output);
}

void ldapModifyDnRequest(unsigned long messageID, const char* dn, const char* newRdn, int deleteOldRdn,
                         const char* newSuperior, CByteArray& output)
{
    std::unique_ptr<CASN1_ModifyDNRequest> modDn(new CASN1_ModifyDNRequest);
    modDn->AddObject(octets(dn));
    modDn->AddObject(octets(newRdn));
    modDn->AddObject(new CASN1_BOOLEAN(deleteOldRdn ? TRUE : FALSE));
    if (newSuperior)
        modDn->AddObject(implicitly(kNewSuperior, *std::unique_ptr<CASN1Type>(octets(newSuperior))));
    encodeMessage(messageID, std::move(modDn), output);
}

void ldapCompareRequest(unsigned long messageID, const char* dn, const CAttributeValueAssertion& assertion,
                        CByteArray& output, int nameForm)
{
    std::unique_ptr<CASN1_CompareRequest> compare(new CASN1_CompareRequest);
    compare->AddObject(octets(dn));
    CASN1_SEQUENCE* ava = new CASN1_SEQUENCE;
    compare->AddObject(ava);
    ava->AddObject(description(assertion.m_description, nameForm));
    ava->AddObject(octets(assertion.m_value));
    encodeMessage(messageID, std::move(compare), output);
}

void ldapExtendedRequest(unsigned long messageID, const char* requestName, const CUniDataHolder* value, int,
                         CByteArray& output)
{
    std::unique_ptr<CASN1_ExtendedRequest> extended(new CASN1_ExtendedRequest);
    extended->AddObject(implicitly(kRequestName, *std::unique_ptr<CASN1Type>(octets(requestName))));
    if (value)
        extended->AddObject(implicitly(kRequestValue, *std::unique_ptr<CASN1Type>(octets(value))));
    encodeMessage(messageID, std::move(extended), output);
}
