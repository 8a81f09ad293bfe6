#include "directory_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriod = 100;  // milliseconds between looks at Ctrl-C and the count

std::string readPasswordFile(const std::string& path)
{
    // The whole file is the password, as the OpenLDAP tools take it.
    std::vector<unsigned char> bytes = InputFile(path).readAll();
    return std::string(bytes.begin(), bytes.end());
}

std::string promptForPassword()
{
    int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0)
        throw Failure("-W needs a terminal to ask for the password");
    const char prompt[] = "Enter LDAP Password: ";
    ssize_t written = write(tty, prompt, sizeof prompt - 1);
    (void)written;
    termios saved{};
    const bool echoOff = tcgetattr(tty, &saved) == 0;
    if (echoOff) {
        termios quiet = saved;
        quiet.c_lflag &= ~(tcflag_t)ECHO;
        tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    std::string password;
    char c;
    while (read(tty, &c, 1) == 1 && c != '\n')
        password += c;
    if (echoOff)
        tcsetattr(tty, TCSAFLUSH, &saved);
    written = write(tty, "\n", 1);
    close(tty);
    return password;
}

}  // namespace

int ExitStatusOf(unsigned long resultCode)
{
    return resultCode <= 255 ? (int)resultCode : 80;
}

void ConnectionOptions::declare(OptionSet& options)
{
    m_options = &options;
    options.text("--config", &config, "FILE", "server, port and login stored by dlink configure (options win)");
    options.text("-H,--uri", &url, "URL", "the server, ldap://HOST[:PORT] (default ldap://localhost:389)");
    options.text("-D,--bind-dn", &bindDn, "DN", "the name to bind (log in) with; none: anonymous");
    options.text("-w,--password", &password, "PASSWORD", "the password to bind with");
    options.flag("-W,--prompt-password", &promptPassword, "ask for the password on the terminal");
    options.text("-y,--password-file", &passwordFile, "FILE", "the password is the whole content of FILE");
    options.choice("-P,--protocol", &version, {"2", "3"}, "LDAP protocol version of the bind (default 3)");
    options.flag("-x,--simple", &simple, "simple authentication (the only kind; accepted for habit)");
}

void ParseLdapUrl(const std::string& url, std::string& host, unsigned& port)
{
    const std::string scheme = "ldap://";
    if (url.compare(0, scheme.size(), scheme) != 0)
        throw UsageError("-H: '" + url + "' is not an ldap:// URL");
    std::string rest = url.substr(scheme.size());
    rest = rest.substr(0, rest.find('/'));
    std::string portText;
    if (!rest.empty() && rest[0] == '[') {
        const size_t close = rest.find(']');
        if (close == std::string::npos || (close + 1 < rest.size() && rest[close + 1] != ':'))
            throw UsageError("-H: bad IPv6 address in '" + url + "'");
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size())
            portText = rest.substr(close + 2);
    } else {
        const size_t colon = rest.find(':');
        host = rest.substr(0, colon);
        if (colon != std::string::npos)
            portText = rest.substr(colon + 1);
    }
    if (host.empty())
        host = "localhost";
    port = portText.empty() ? 389 : (unsigned)ParseNumber(portText, 1, 65535, "-H port");
}

DirectorySession::DirectorySession(const ConnectionOptions& options)
{
    const int passwordSources = !options.password.empty() + options.promptPassword + !options.passwordFile.empty();
    if (passwordSources > 1)
        throw UsageError("-w, -W and -y exclude each other");
    // The URL is checked before a password is asked for.
    std::string host;
    unsigned port;
    ParseLdapUrl(options.url.empty() ? "ldap://localhost" : options.url, host, port);
    std::string password = options.password;
    if (options.promptPassword)
        password = promptForPassword();
    else if (!options.passwordFile.empty())
        password = readPasswordFile(options.passwordFile);

    m_manager = CreateLdapDirManager();
    if (!m_manager)
        throw Failure("out of memory");
    try {
        configure(options, host, port, password);
    } catch (...) {
        std::fill(password.begin(), password.end(), '\0');
        close();
        throw;
    }
    std::fill(password.begin(), password.end(), '\0');
    m_manager->SetNotifySink(this);
    m_manager->SetNotify(1);

    m_window = CreateMessageWindow(onTimer, this);
    SetTimer(m_window, kTimerId, kTimerPeriod, nullptr);
    try {
        run([](IX500DirManager& manager) { return manager.Connect(0); });
    } catch (...) {
        close();
        throw;
    }
}

DirectorySession::~DirectorySession()
{
    close();
}

void DirectorySession::configure(const ConnectionOptions& options, const std::string& host, unsigned port,
                                 const std::string& password)
{
    const bool stored = !options.config.empty();
    if (stored) {
        std::vector<unsigned char> bytes = InputFile(options.config).readAll();
        CMemFile file(bytes.empty() ? nullptr : bytes.data(), (UINT)bytes.size());
        if (m_manager->LoadConfiguration(&file) != DCODE_CODEBASE)
            throw Failure(options.config + ": " + (const char*)m_manager->GetErrorMessage());
    }
    // What the command line gives wins over the stored configuration.
    if (!stored || options.given("--uri")) {
        const DWORD portValue = port;
        m_manager->SetOption(5, host.c_str(), 0);
        m_manager->SetOption(0, &portValue, 0);
    }
    if (!stored) {
        const BYTE names = 1;  // attribute types go as the user wrote them
        m_manager->SetOption(1, &names, 0);
    }
    if (!stored || options.given("--bind-dn"))
        m_manager->SetOption(2, options.bindDn.c_str(), 0);
    if (!stored || options.given("--password") || options.promptPassword || !options.passwordFile.empty())
        m_manager->SetOption(3, password.c_str(), 0);
    const DWORD version = options.version == "2" ? 2 : 3;
    m_manager->SetOption(LDAP_DIR_OPTION_PROTOCOL_VERSION, &version, 0);
}

void DirectorySession::close()
{
    drawCount(true);
    if (m_window) {
        KillTimer(m_window, kTimerId);
        DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_manager) {
        if (m_manager->IsConnected())
            m_manager->Disconnect();
        m_manager->Release();
        m_manager = nullptr;
    }
}

unsigned short DirectorySession::attempt(const std::function<unsigned short(IX500DirManager&)>& operation)
{
    m_lastResultCode = 0;
    m_serverAnswered = false;
    const unsigned short code = operation(*m_manager);
    drawCount(true);
    return code;
}

void DirectorySession::check(unsigned short code)
{
    if (code == DCODE_CODEBASE && !InterruptWatch::requested())
        return;
    if (InterruptWatch::requested())
        throw Failure("cancelled", DCODE_INTERRUPTED);
    std::string message = (const char*)m_manager->GetErrorMessage();
    if (message.empty())
        message = DirManCodeToString(code);
    if (m_serverAnswered && m_lastResultCode != 0)
        throw Failure(message, ExitStatusOf(m_lastResultCode));
    throw Failure(message, code);
}

void DirectorySession::OnNotify(unsigned long code, void* param)
{
    switch (code) {
    case DNOTIFY_RESULT: {
        const auto* result = static_cast<const CResultInfo*>(param);
        m_lastResultCode = result->m_resultCode;
        m_serverAnswered = true;
        break;
    }
    case DNOTIFY_SEARCH_RESULT:
        if (onSearchResult)
            onSearchResult(*static_cast<const CSearchResult*>(param));
        break;
    case DNOTIFY_EXTENDED_RESPONSE:
        if (onExtendedResponse)
            onExtendedResponse(*static_cast<const CExtResponse*>(param));
        break;
    default:
        break;
    }
}

LRESULT DirectorySession::onTimer(HWND, UINT message, WPARAM, LPARAM, void* context)
{
    if (message != WM_TIMER)
        return 0;
    auto* session = static_cast<DirectorySession*>(context);
    if (InterruptWatch::requested() && !session->m_cancelled && session->m_manager->IsBlocking()) {
        session->m_cancelled = true;  // once: a second Cancel would drop the connection
        session->m_manager->Cancel();
    }
    session->drawCount(false);
    return 0;
}

void DirectorySession::drawCount(bool final)
{
    static const bool terminal = isatty(2) == 1;
    if (!terminal || !m_countUnit)
        return;
    if (final) {
        if (m_countDrawn)
            std::fprintf(stderr, "\r%40s\r", "");
        m_countDrawn = false;
        return;
    }
    std::fprintf(stderr, "\r%llu %s", m_count, m_countUnit);
    std::fflush(stderr);
    m_countDrawn = true;
}
