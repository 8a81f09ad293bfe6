// Decodes and validates an LDAP message from arbitrary bytes, as the first
// of a stream, then walks a valid one through the typed accessors of its
// operation. A valid message must take exactly the octets its headers
// declare at every level, encode the same way twice and before and after the
// walk, and leave the stream alone: the next message then decodes as it does
// alone. Any other outcome but a crash, a hang, a leak or a sanitizer report
// is fine.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "der_invariants.h"
#include "vaultcore/vaultcore.h"

namespace {

template <class T>
bool bodyAs(CASN1_ProtocolOpChoice& op, T& body)
{
    CASN1_TAGGED* tagged = dynamic_cast<CASN1_TAGGED*>(&op.value());
    return tagged && body.fromImplicit(*tagged) && T::isValid(&body, 1);
}

void walkFilter(const CASN1_Filter& filter, int depth);

void walkFilterSet(const CASN1_Filter& filter, int depth)
{
    CASN1_SetOfFilter operands;
    const CASN1_TAGGED* tagged = dynamic_cast<const CASN1_TAGGED*>(&filter.value());
    if (!tagged || !operands.fromImplicit(*const_cast<CASN1_TAGGED*>(tagged)))
        return;
    for (int i = 0; i < operands.getComponentCount(); ++i)
        walkFilter(operands.getComponent(i), depth + 1);
}

void walkFilter(const CASN1_Filter& filter, int depth)
{
    if (depth > 300)
        return;
    if (filter.is_and() || filter.is_or()) {
        walkFilterSet(filter, depth);
    } else if (filter.is_not()) {
        const CASN1_CONSTRUCTED_TYPE* wrapper = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(&filter.value());
        if (wrapper && wrapper->getComponentCount() == 1)
            walkFilter(CASN1_Filter(*wrapper->getComponentAt(0)), depth + 1);
    } else if (filter.is_substrings()) {
        CASN1_SubstringFilter substrings;
        if (substrings.fromImplicit(*dynamic_cast<CASN1_TAGGED*>(const_cast<CASN1Type*>(&filter.value())))) {
            const CASN1_SequenceOfSubstringChoice& pieces = substrings.get_substrings();
            for (int i = 0; i < pieces.getComponentCount(); ++i)
                (void)pieces.getComponent(i).is_initial();
        }
    }
}

void walkResult(CASN1_LDAPResult& result)
{
    unsigned long code = 0;
    result.get_resultCode().GetInteger(code);
    CString text;
    result.get_matchedDN().GetString(text);
    result.get_errorMessage().GetString(text);
    if (result.is_referral()) {
        CASN1_Referral urls;
        if (urls.fromImplicit(result.get_referral()))
            for (int i = 0; i < urls.getComponentCount(); ++i)
                urls.getComponent(i).GetString(text);
    }
}

void walk(CASN1_LDAPMessage& message)
{
    CASN1_ProtocolOpChoice op = message.get_protocolOp();
    CString text;
    if (op.is_searchResEntry()) {
        CASN1_SearchResultEntry entry;
        if (bodyAs(op, entry)) {
            CASN1_PartialAttributeList& attributes = entry.get_attributes();
            for (int i = 0; i < attributes.getComponentCount(); ++i) {
                CASN1_PartialAttribute& attribute = attributes.getComponent(i);
                attribute.get_type().GetString(text);
                CASN1_SetOfLDAPAttributeValue& values = attribute.get_vals();
                for (int j = 0; j < values.getComponentCount(); ++j)
                    values.getComponent(j).GetString(text);
            }
        }
    } else if (op.is_searchRequest()) {
        CASN1_SearchRequest search;
        if (bodyAs(op, search)) {
            walkFilter(search.get_filter(), 0);
            CASN1_LDAPAttributeDescriptionList& attributes = search.get_attributes();
            for (int i = 0; i < attributes.getComponentCount(); ++i)
                attributes.getComponent(i).GetString(text);
        }
    } else if (op.is_modifyRequest()) {
        CASN1_ModifyRequest modify;
        if (bodyAs(op, modify)) {
            CASN1_ModificationList& list = modify.get_modification();
            for (int i = 0; i < list.getComponentCount(); ++i)
                list.getComponent(i).get_modification().get_vals();
        }
    } else if (op.is_addRequest()) {
        CASN1_AddRequest add;
        if (bodyAs(op, add)) {
            CASN1_LDAPAttributeList& list = add.get_attributes();
            for (int i = 0; i < list.getComponentCount(); ++i)
                list.getComponent(i).get_vals();
        }
    } else if (op.is_extendedResp()) {
        CASN1_ExtendedResponse response;
        if (bodyAs(op, response) && response.is_responseValue())
            response.get_responseValue().GetString(text);
    } else if (op.is_searchResFull()) {
        CASN1_SearchResultFull full;
        if (full.moveFrom(op.value().clone()))
            for (int i = 0; i < full.getComponentCount(); ++i)
                (void)full.getComponent(i).is_entry();
    }
    if (op.is_bindResponse() || op.is_searchResDone() || op.is_modifyResponse() || op.is_addResponse() ||
        op.is_delResponse() || op.is_modDNResponse() || op.is_compareResponse() || op.is_resumeError() ||
        op.is_extendedResp() || op.is_sessionResponse()) {
        CASN1_LDAPResult result;
        CASN1_TAGGED* tagged = dynamic_cast<CASN1_TAGGED*>(&op.value());
        if (tagged && result.fromImplicit(*tagged))
            walkResult(result);
    }
    CByteArray again;
    message.encodeTo(again);
}

}  // namespace

static CASN1Type* decodeMessage(CDEREncoding& encoding)
{
    return new CASN1_LDAPMessage(encoding);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<unsigned char> bytes(data, data + size);
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes.data(), (unsigned long)bytes.size(), FALSE, TRUE);
    encoding->AddRef();
    try {
        CASN1_LDAPMessage message(*encoding);
        der_invariants::checkBounds(data, size, message, encoding->GetPosition());
        der_invariants::checkStableEncoding(message);
        const std::string before = der_invariants::encodingOf(message);
        walk(message);
        if (der_invariants::encodingOf(message) != before)
            abort();
        der_invariants::checkNextDecodesAlone(*encoding, data, size, decodeMessage);
    } catch (CDERDecodingException* e) {
        e->Delete();
    }
    encoding->SeekToBegin();
    BOOL valid = FALSE;
    DescribeLdapMessage(*encoding, &valid);
    encoding->Release();
    return 0;
}
