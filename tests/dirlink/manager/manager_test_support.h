#pragma once
// Helpers of the directory manager tests: a sink that records what the
// manager tells it, a manager wired to it, and a message window whose timer
// runs code from inside the manager's blocking calls (the socket pumps the
// thread's messages while it waits).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dirlink/dirlink.h"
#include "support/der_helpers.h"

inline std::string str(const CString& text)
{
    return std::string((const char*)text, (size_t)text.GetLength());
}

struct Recorder : INotifable {
    std::vector<unsigned long> codes;
    std::vector<std::string> dns;  // entries in the order they came
    int references = 0;
    CResultInfo done;              // the search's closing result
    std::string extendedValue;
    // Runs after the recording, for tests that act from the sink.
    std::function<void(unsigned long code, void* param)> then;

    void Clear() override {}
    long AddRef() override { return 1; }  // lives on the stack
    long Release() override { return 1; }
    void OnNotify(unsigned long code, void* param) override
    {
        codes.push_back(code);
        if (code == DNOTIFY_SEARCH_RESULT) {
            auto* result = static_cast<CSearchResult*>(param);
            if (CEntryData* entry = result->GetEntry())
                dns.push_back(str(entry->m_dn));
            if (result->GetReferences())
                ++references;
            if (CResultInfo* info = result->GetResultInfo())
                done = *info;
        } else if (code == DNOTIFY_EXTENDED_RESPONSE) {
            const CUniDataHolder* value = static_cast<CExtResponse*>(param)->m_response;
            if (value)
                extendedValue.assign((const char*)value->GetData(), value->GetSize());
        }
        if (then)
            then(code, param);
    }
    int count(unsigned long code) const { return (int)std::count(codes.begin(), codes.end(), code); }
    void reset()
    {
        codes.clear();
        dns.clear();
        references = 0;
        done = CResultInfo();
        done.m_resultCode = ~0U;
        extendedValue.clear();
    }
};

// A manager reporting to a Recorder; released by the destructor.
struct Manager {
    Manager()
    {
        m->SetNotifySink(&sink);
        m->SetNotify(1);
    }
    ~Manager() { m->Release(); }
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    IX500DirManager* operator->() const { return m; }
    // Server, port, protocol version and login for the next Connect.
    void settings(unsigned port, DWORD version, const char* user = "", const char* password = "")
    {
        const DWORD portValue = port;
        ASSERT_EQ(0, m->SetOption(5, "127.0.0.1", 0));
        ASSERT_EQ(0, m->SetOption(0, &portValue, 0));
        ASSERT_EQ(0, m->SetOption(2, user, 0));
        ASSERT_EQ(0, m->SetOption(3, password, 0));
        ASSERT_EQ(0, m->SetOption(LDAP_DIR_OPTION_PROTOCOL_VERSION, &version, 0));
    }
    std::string message() const { return str(m->GetErrorMessage()); }

    IX500DirManager* m = CreateLdapDirManager();
    Recorder sink;
};

// Runs `action` from the thread's message pump, `delayMs` after creation
// and then every period until it returns false.
class PumpAction {
public:
    PumpAction(UINT delayMs, std::function<bool()> action) : m_action(std::move(action))
    {
        m_window = CreateMessageWindow(onMessage, this);
        SetTimer(m_window, 1, delayMs, nullptr);
    }
    ~PumpAction() { DestroyWindow(m_window); }
    PumpAction(const PumpAction&) = delete;
    PumpAction& operator=(const PumpAction&) = delete;

private:
    static LRESULT onMessage(HWND window, UINT message, WPARAM, LPARAM, void* context)
    {
        auto* self = static_cast<PumpAction*>(context);
        if (message == WM_TIMER && !self->m_action())
            KillTimer(window, 1);
        return 0;
    }
    std::function<bool()> m_action;
    HWND m_window;
};

inline CAttributeValueAssertion assertionOf(const char* type, const char* value)
{
    CUniDataHolder* holder = CUniDataHolder::Create(0);
    holder->Put(value);
    CAttributeValueAssertion ava(type, holder);
    holder->Release();
    return ava;
}

// A search of the whole subtree below base with a filter in text form.
inline unsigned short searchFor(Manager& manager, const char* base, const char* filterText,
                                unsigned long sizeLimit = 0, unsigned long scope = 2)
{
    CSearchFilter filter;
    EXPECT_TRUE(ParseSearchFilter(filterText, filter)) << filterText;
    CStringArray all;
    manager.sink.reset();
    return manager->Search(base, scope, 0, sizeLimit, 0, 0, filter, all, 0);
}
