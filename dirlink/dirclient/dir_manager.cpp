#include "dirlink/dirclient/dir_manager.h"

#include <cstdarg>

namespace {
struct CodeName {
    unsigned short code;
    const char* name;
};

const CodeName kCodeNames[] = {
    {DCODE_CODEBASE,        "DCODE_CODEBASE"},
    {DCODE_E_FAIL,          "DCODE_E_FAIL"},
    {DCODE_E_LOGONFAIL,     "DCODE_E_LOGONFAIL"},
    {DCODE_INTERRUPTED,     "DCODE_INTERRUPTED"},
    {DCODE_E_IN_PROGRESS,   "DCODE_E_IN_PROGRESS"},
    {DCODE_E_NOT_SUPPORTED, "DCODE_E_NOT_SUPPORTED"},
    {DCODE_E_CONNECTEDYET,  "DCODE_E_CONNECTEDYET"},
    {DCODE_E_NOT_CONNECTED, "DCODE_E_NOT_CONNECTED"},
};
}  // namespace

const char* DirManCodeToString(unsigned short code)
{
    for (const CodeName& entry : kCodeNames)
        if (entry.code == code)
            return entry.name;
    return "<unknown>";
}

int IX500DirManager::SetNotify(int enabled)
{
    const int previous = m_notifyEnabled;
    m_notifyEnabled = enabled;
    return previous;
}

void IX500DirManager::Notify(unsigned long code, void* param)
{
    if (m_notifyEnabled && m_pSink)
        m_pSink->OnNotify(code, param);
}

void IX500DirManager::SetErrorMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_errorMessage.FormatV(format, args);
    va_end(args);
}
