#pragma once
// CDnsException: a host name that could not be resolved.
#include "platform/afx.h"
#include "netcore/netcore_export.h"

class NETCORE_API CDnsException : public CException {
    DECLARE_DYNAMIC(CDnsException)
public:
    CDnsException(int error, const char* host);
    // "Cannot resolve \"host\": " and the resolver's text for the error.
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;

    int m_nError;  // the resolver's code (getaddrinfo's EAI_ values)
    CString m_strHost;
};

[[noreturn]] NETCORE_API void AfxThrowDnsException(int error, const char* host);
