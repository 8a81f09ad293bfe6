#pragma once
// A throwaway slapd for tests: its own folder under the temporary folder
// (configuration, mdb database, log), 127.0.0.1 on a free port, `allow
// bind_v2`, entries loaded with slapadd before it starts. The server is a
// child process that stop() (and the destructor) end by its process id; it
// also dies with the test process, which it asks the kernel for at start.
//
//   SlapdServer server;
//   std::string error;
//   ASSERT_TRUE(server.start(SlapdServer::baseEntries(), &error)) << error;
//   ... connect to 127.0.0.1:server.port(), or run server.tool("ldapsearch", "...")
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/shell_command.h"

class SlapdServer {
public:
    static constexpr const char* kSuffix = "dc=example,dc=com";
    static constexpr const char* kRootDn = "cn=admin,dc=example,dc=com";
    static constexpr const char* kRootPassword = "secret";

    SlapdServer() = default;
    SlapdServer(const SlapdServer&) = delete;
    SlapdServer& operator=(const SlapdServer&) = delete;
    ~SlapdServer() { stop(); }

    // The suffix entry and ou=people below it, as LDIF.
    static std::string baseEntries()
    {
        return "dn: dc=example,dc=com\nobjectClass: top\nobjectClass: dcObject\nobjectClass: organization\n"
               "dc: example\no: Example\n\n"
               "dn: ou=people,dc=example,dc=com\nobjectClass: organizationalUnit\nou: people\n\n";
    }

    // Loads `ldif` with slapadd (when not empty) and starts the server.
    // false, with the reason in *error, when either fails.
    bool start(const std::string& ldif, std::string* error = nullptr)
    {
        std::string reason;
        bool ok = makeFolder(reason) && writeConfiguration(reason) && load(ldif, reason);
        for (int attempt = 0; ok && attempt < 5; ++attempt) {
            // Another test may take the port between our look and slapd's bind.
            if (launch(reason))
                return true;
        }
        if (error)
            *error = reason;
        stop();
        return false;
    }

    // Ends the server (SIGTERM, then SIGKILL after 10 s) and removes its folder.
    void stop()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            if (!reap(10000)) {
                ::kill(m_pid, SIGKILL);
                reap(-1);
            }
            m_pid = -1;
        }
        if (!m_folder.empty()) {
            runShell("rm -rf '" + m_folder + "'", nullptr);
            m_folder.clear();
        }
    }

    int port() const { return m_port; }
    std::string url() const { return "ldap://127.0.0.1:" + std::to_string(m_port) + "/"; }
    const std::string& folder() const { return m_folder; }
    pid_t pid() const { return m_pid; }

    // Runs an OpenLDAP client tool against the server, bound as the root DN
    // ("ldapsearch", "-LLL -b dc=example,dc=com ..."); standard output and
    // the exit status. The user's ldap.conf and ldaprc are not read.
    std::string tool(const std::string& name, const std::string& arguments, int* status) const
    {
        return runShell("LDAPNOINIT=1 " + name + " -x -H " + url() + " -D '" + kRootDn + "' -w " + kRootPassword +
                            " " + arguments,
                        status);
    }

    // Writes text to a file in the server's folder; its path.
    std::string writeFile(const std::string& name, const std::string& text) const
    {
        std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

private:
    bool makeFolder(std::string& reason)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vc-slapd-XXXXXX";
        if (!mkdtemp(&pattern[0])) {
            reason = "cannot make a temporary folder";
            return false;
        }
        m_folder = pattern;
        runShell("mkdir '" + m_folder + "/db'", nullptr);
        return true;
    }

    bool writeConfiguration(std::string& reason)
    {
        std::ostringstream conf;
        conf << "include /etc/ldap/schema/core.schema\n"
             << "include /etc/ldap/schema/cosine.schema\n"
             << "include /etc/ldap/schema/inetorgperson.schema\n"
             << "pidfile " << m_folder << "/slapd.pid\n"
             << "argsfile " << m_folder << "/slapd.args\n"
             << "modulepath /usr/lib/ldap\n"
             << "moduleload back_mdb\n"
             << "allow bind_v2\n"
             << "database mdb\n"
             << "maxsize 10485760\n"
             << "suffix \"" << kSuffix << "\"\n"
             << "rootdn \"" << kRootDn << "\"\n"
             << "rootpw " << kRootPassword << "\n"
             << "directory " << m_folder << "/db\n";
        m_configuration = writeFile("slapd.conf", conf.str());
        if (access(m_configuration.c_str(), R_OK) != 0) {
            reason = "cannot write " + m_configuration;
            return false;
        }
        return true;
    }

    bool load(const std::string& ldif, std::string& reason)
    {
        if (ldif.empty())
            return true;
        std::string path = writeFile("initial.ldif", ldif);
        int status = -1;
        std::string out = runShell("/usr/sbin/slapadd -q -f '" + m_configuration + "' -l '" + path + "' 2>&1", &status);
        if (status != 0) {
            reason = "slapadd failed: " + out;
            return false;
        }
        return true;
    }

    static int freePort()
    {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        int port = -1;
        if (fd >= 0 && ::bind(fd, (sockaddr*)&address, sizeof address) == 0 &&
            ::getsockname(fd, (sockaddr*)&address, &size) == 0)
            port = ntohs(address.sin_port);
        if (fd >= 0)
            ::close(fd);
        return port;
    }

    static bool answers(int port)
    {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons((uint16_t)port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok = fd >= 0 && ::connect(fd, (sockaddr*)&address, sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }

    // Waits up to timeoutMs (forever when negative) for the server to exit.
    bool reap(int timeoutMs)
    {
        for (int waited = 0;; waited += 20) {
            int status;
            pid_t done = ::waitpid(m_pid, &status, timeoutMs < 0 ? 0 : WNOHANG);
            if (done == m_pid || (done < 0 && errno == ECHILD))
                return true;
            if (timeoutMs >= 0 && waited >= timeoutMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    bool launch(std::string& reason)
    {
        m_port = freePort();
        if (m_port <= 0) {
            reason = "no free port";
            return false;
        }
        const std::string listen = url();
        const std::string log = m_folder + "/slapd.log";
        const pid_t parent = ::getpid();
        m_pid = ::fork();
        if (m_pid < 0) {
            reason = "fork failed";
            return false;
        }
        if (m_pid == 0) {
            // The server ends with the test process, however that ends.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(1);
            int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            ::execl("/usr/sbin/slapd", "slapd", "-d", "0", "-f", m_configuration.c_str(), "-h", listen.c_str(),
                    (char*)nullptr);
            ::_exit(127);
        }
        for (int waited = 0; waited < 15000; waited += 50) {
            int status;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                reason = "slapd did not start: " + runShell("cat '" + log + "'", nullptr);
                return false;
            }
            if (answers(m_port))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        reason = "slapd did not answer within 15 seconds";
        stop();
        return false;
    }

    std::string m_folder;
    std::string m_configuration;
    int m_port = -1;
    pid_t m_pid = -1;
};
