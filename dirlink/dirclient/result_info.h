#pragma once
// CResultInfo: the result part of an LDAP response.
#include "dirlink/dirclient/uni_data_holder.h"

class DIRLINK_API CResultInfo {
public:
    // Code 0, text "success", no total count, empty strings and referral.
    CResultInfo();
    // Copies every field; the total count into a pointer of its own.
    CResultInfo(const CResultInfo& other);
    CResultInfo& operator=(const CResultInfo& other);
    virtual ~CResultInfo();

    // Code 0, total count freed, texts emptied (resultText too), referral emptied.
    void Clear();
    // Archive form: u8 version 0, u32 resultCode, u8 total-count flag and
    // (when 1) the u32 count, resultText, matchedDN and errorMessage as text,
    // the referral string array.
    virtual void Serialize(CArchive& ar);

    DWORD m_resultCode;        // the LDAP result code
    CString m_resultText;      // ldapResultToString(m_resultCode)
    DWORD* m_totalCount;       // owned; null when the server reported none
    CString m_matchedDN;       // matched DN of the response
    CString m_errorMessage;    // diagnostic text of the response
    CStringArray m_referral;   // referral URLs in response order
};
