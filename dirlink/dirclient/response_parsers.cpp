#include "dirlink/dirclient/response_parsers.h"

#include <memory>

namespace {

// Identifier of the referral member of an LDAPResult.
const unsigned char kReferral = 0x83;

CString textOf(const CASN1Type& value)
{
    CString text;
    value.GetString(text);
    return text;
}

// A new holder taking over the value's contents without another copy.
CUniDataHolder* valueOf(const CASN1Type& value)
{
    CByteArrayPro bytes;
    value.GetClearData(bytes, TRUE);
    const unsigned long size = (unsigned long)bytes.GetSize();
    CUniDataHolder* holder = CUniDataHolder::Create(256);
    holder->Attach(size ? bytes.Detach() : nullptr, size);
    return holder;
}

// The LDAPResult members at the head of a body; FALSE when they are not there.
bool readResultPart(const CASN1_CONSTRUCTED_TYPE& body, CResultInfo& result)
{
    if (body.getComponentCount() < 3)
        return false;
    const auto* code = dynamic_cast<const CASN1_INTEGER*>(body.getComponentAt(0));
    unsigned long value = 0;
    if (!code || !code->GetInteger(value))
        return false;
    result.m_resultCode = (DWORD)value;
    result.m_resultText = ldapResultToString(value);
    result.m_matchedDN = textOf(*body.getComponentAt(1));
    result.m_errorMessage = textOf(*body.getComponentAt(2));
    for (int i = 3; i < body.getComponentCount(); ++i) {
        const auto* referral = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(body.getComponentAt(i));
        if (!referral || referral->getIdentifier() != kReferral || !referral->isConstructed())
            continue;
        for (int url = 0; url < referral->getComponentCount(); ++url)
            result.m_referral.Add(textOf(*referral->getComponentAt(url)));
    }
    return true;
}

CEntryData* readEntry(CASN1_TAGGED& body)
{
    CASN1_SearchResultEntry entry;
    if (!entry.fromImplicit(body))
        return nullptr;
    std::unique_ptr<CEntryData> data(new CEntryData);
    data->m_dn = textOf(entry.get_objectName());
    const CASN1_PartialAttributeList& attributes = entry.get_attributes();
    for (int i = 0; i < attributes.getComponentCount(); ++i) {
        const CASN1_PartialAttribute& source = attributes.getComponent(i);
        CAttribute* attribute = new CAttribute;
        data->m_attributes.Add(attribute);
        attribute->m_name = textOf(source.get_type());
        const CASN1_SetOfLDAPAttributeValue& values = source.get_vals();
        for (int v = 0; v < values.getComponentCount(); ++v)
            attribute->m_values.Add(valueOf(values.getComponent(v)));
    }
    return data.release();
}

CResultInfo* readDone(CASN1_TAGGED& body)
{
    CASN1_SearchResultDone done;
    if (!done.fromImplicit(body))
        return nullptr;
    std::unique_ptr<CResultInfo> info(new CResultInfo);
    if (!readResultPart(done, *info))
        return nullptr;
    if (done.is_totalCount()) {
        CASN1_INTEGER total;
        unsigned long count = 0;
        if (!total.fromImplicit(done.get_totalCount()) || !total.GetInteger(count))
            return nullptr;
        info->m_totalCount = new DWORD((DWORD)count);
    }
    return info.release();
}

CStringArray* readReference(CASN1_TAGGED& body)
{
    CASN1_Referral referral;
    if (!referral.fromImplicit(body))
        return nullptr;
    std::unique_ptr<CStringArray> urls(new CStringArray);
    for (int i = 0; i < referral.getComponentCount(); ++i)
        urls->Add(textOf(referral.getComponent(i)));
    return urls.release();
}

int parseSearchResponse(CASN1Type& message, CSearchResult& result)
{
    auto* envelope = dynamic_cast<CASN1_CONSTRUCTED_TYPE*>(&message);
    if (!envelope || !CASN1_LDAPMessage::isValid(&message, 0))
        return 0;
    // The operation is the last component of a valid message.
    CASN1Type* operation = envelope->getComponentAt(envelope->getComponentCount() - 1);
    result.Clear();
    CASN1_ProtocolOpChoice choice(*operation);
    auto* body = dynamic_cast<CASN1_TAGGED*>(operation);
    if (!body)
        return 0;
    if (choice.is_searchResEntry()) {
        result.m_kind = CSearchResult::kindEntry;
        result.m_payload = readEntry(*body);
    } else if (choice.is_searchResDone()) {
        result.m_kind = CSearchResult::kindDone;
        result.m_payload = readDone(*body);
    } else if (choice.is_searchResRef()) {
        result.m_kind = CSearchResult::kindReference;
        result.m_payload = readReference(*body);
    }
    return result.m_payload ? 1 : 0;
}

}  // namespace

int ldapParseSearchResponse(CASN1Type& message, CSearchResult& result)
{
    try {
        return parseSearchResponse(message, result);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
}

int ldapParseResult(CASN1Type& response, CResultInfo& result)
{
    auto* body = dynamic_cast<CASN1_CONSTRUCTED_TYPE*>(&response);
    try {
        return body && readResultPart(*body, result) ? 1 : 0;
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
}

int ldapParseExtResponse(CASN1_ExtendedResponse& response, CExtResponse& result)
{
    try {
        if (!readResultPart(response, result))
            return 0;
        if (response.is_requestName())
            result.m_responseName = textOf(response.get_requestName());
        else if (response.is_responseName())
            result.m_responseName = textOf(response.get_responseName());
        const CASN1Type* value = response.is_response()        ? &response.get_response()
                                 : response.is_responseValue() ? &response.get_responseValue()
                                                               : nullptr;
        if (result.m_response) {
            result.m_response->Release();
            result.m_response = nullptr;
        }
        if (value)
            result.m_response = valueOf(*value);
        return 1;
    } catch (CDERDecodingException* e) {
        e->Delete();
        return 0;
    }
}
