#pragma once
// What the directory commands of dlink share: the connection options of the
// OpenLDAP tools (-H, -D, -w/-W/-y, -P, -x) and a stored configuration
// (--config, as `dlink configure` writes it), one logged-in directory manager
// per command, and the exit status rule: the LDAP result code the server
// answered, or the manager's own code with its message on standard error.
// Ctrl-C cancels the running operation through the manager (a search is
// abandoned) and the command exits 3.
#include <functional>
#include <string>

#include "common/tool.h"
#include "dirlink/dirlink.h"

struct ConnectionOptions {
    std::string config;
    std::string url;
    std::string bindDn;
    std::string password;
    bool promptPassword = false;
    std::string passwordFile;
    std::string version = "3";
    bool simple = false;

    // Adds the options to a command's set, which must outlive the session.
    void declare(OptionSet& options);
    bool given(const char* longName) const { return m_options && m_options->given(longName); }

private:
    const OptionSet* m_options = nullptr;
};

// The host and port of an ldap:// URL ("ldap://host:port", the host may be
// an IPv6 address in brackets; no host means localhost, no port 389).
// Throws UsageError for anything else.
void ParseLdapUrl(const std::string& url, std::string& host, unsigned& port);

// The exit status for an LDAP result code: the code itself when it fits in
// the status's 8 bits, else 80 (other), so that no code reads as success.
int ExitStatusOf(unsigned long resultCode);

class DirectorySession : private INotifable {
public:
    // Checks the options, connects and logs in. Throws Failure (with the exit
    // status) when that fails, UsageError for bad options.
    explicit DirectorySession(const ConnectionOptions& options);
    // Logs out.
    ~DirectorySession();
    DirectorySession(const DirectorySession&) = delete;
    DirectorySession& operator=(const DirectorySession&) = delete;

    IX500DirManager& manager() { return *m_manager; }

    // Runs one manager operation; throws Failure unless it succeeded.
    void run(const std::function<unsigned short(IX500DirManager&)>& operation) { check(attempt(operation)); }
    // Runs one manager operation and returns its code.
    unsigned short attempt(const std::function<unsigned short(IX500DirManager&)>& operation);
    // Throws Failure for an operation's code other than success, or after
    // Ctrl-C: the status is the server's result code, 3 when cancelled, else
    // the manager's code; the message is the manager's.
    void check(unsigned short code);

    // Called with every search result, in order (valid during the call).
    std::function<void(const CSearchResult& result)> onSearchResult;
    // Called with an extended operation's response.
    std::function<void(const CExtResponse& response)> onExtendedResponse;
    // Shown on a terminal's standard error while an operation runs, e.g.
    // "entries"; the count is advanced with countOne().
    void showCount(const char* unit) { m_countUnit = unit; }
    void countOne() { ++m_count; }

private:
    void Clear() override {}
    // The session lives on the stack; the manager holds no reference to it.
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    void OnNotify(unsigned long code, void* param) override;

    // Logs out and lets the manager go.
    void close();
    // The manager's settings: a stored configuration, then what the command
    // line gives.
    void configure(const ConnectionOptions& options, const std::string& host, unsigned port,
                   const std::string& password);
    static LRESULT onTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* context);
    void drawCount(bool final);

    IX500DirManager* m_manager = nullptr;
    InterruptWatch m_watch;
    HWND m_window = nullptr;
    DWORD m_lastResultCode = 0;     // of the operation running now
    bool m_serverAnswered = false;  // it had a result from the server
    const char* m_countUnit = nullptr;
    unsigned long long m_count = 0;
    bool m_countDrawn = false;
    bool m_cancelled = false;
};
