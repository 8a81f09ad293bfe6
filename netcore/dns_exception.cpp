#include "netcore/dns_exception.h"

#include <netdb.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CDnsException, CException)

CDnsException::CDnsException(int error, const char* host) : m_nError(error), m_strHost(host) {}

BOOL CDnsException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    if (!buffer || !maxLength)
        return FALSE;
    CString text;
    text.Format("Cannot resolve \"%s\": %s", (const char*)m_strHost, gai_strerror(m_nError));
    strncpy(buffer, text, maxLength - 1);
    buffer[maxLength - 1] = '\0';
    return TRUE;
}

void AfxThrowDnsException(int error, const char* host)
{
    throw new CDnsException(error, host);
}
