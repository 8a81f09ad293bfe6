#pragma once
// CExtResponse: the answer to an extended operation.
#include "dirlink/dirclient/result_info.h"

class DIRLINK_API CExtResponse : public CResultInfo {
public:
    CExtResponse();
    // Copies the result part and the name; the value is cloned (or null).
    CExtResponse(const CExtResponse& other);
    CExtResponse& operator=(const CExtResponse& other);
    // Releases the held value and stores a clone of `value` (null stays null).
    CExtResponse& operator=(CUniDataHolder*& value);
    ~CExtResponse() override;

    // Archive form: u8 version 0, the CResultInfo form (with its own version
    // byte), responseName as text, u8 value flag and (when set) the value's form.
    void Serialize(CArchive& ar) override;

    CString m_responseName;      // the response's object identifier as text
    CUniDataHolder* m_response;  // the response value, one reference held; may be null
};
