#pragma once
// A child process on a pseudo-terminal, and the test's side of that
// terminal: wait for a prompt, type a line, collect what was shown.
#include <csignal>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

class PtySession {
public:
    // Runs child() in a new process whose standard streams and controlling
    // terminal are the pseudo-terminal; child must end with _exit or exec.
    explicit PtySession(const std::function<void()>& child)
    {
        m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
        if (m_pid == 0) {
            child();
            _exit(127);
        }
    }
    ~PtySession()
    {
        if (m_master >= 0)
            close(m_master);
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    bool started() const { return m_pid > 0; }

    // Reads until text has appeared after the previous match; false on a
    // ten-second time-out or when the child closed the terminal.
    bool waitFor(const std::string& text)
    {
        for (;;) {
            size_t found = m_output.find(text, m_matched);
            if (found != std::string::npos) {
                m_matched = found + text.size();
                return true;
            }
            if (!readSome(10000))
                return false;
        }
    }
    // Types a line (or raw characters when end is false).
    bool type(const std::string& text, bool end = true)
    {
        std::string all = end ? text + "\n" : text;
        return write(m_master, all.data(), all.size()) == (ssize_t)all.size();
    }
    // Waits for the child to end, keeping its output; its exit status, or -1
    // when it did not exit normally. A child still running ten seconds after
    // its output stopped (waiting for input the test never types) is killed.
    int wait()
    {
        while (readSome(10000)) {
        }
        int status = 0;
        pid_t done = 0;
        for (int tries = 0; tries < 100 && done == 0; ++tries) {
            done = waitpid(m_pid, &status, WNOHANG);
            if (done == 0)
                usleep(100000);
        }
        if (done != m_pid)
            return -1;  // the destructor kills it
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Everything shown so far, with the terminal's CR LF line ends as LF.
    const std::string& output() const { return m_output; }

private:
    bool readSome(int timeoutMs)
    {
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[512];
        ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t i = 0; i < n; ++i)
            if (buffer[i] != '\r')
                m_output += buffer[i];
        return true;
    }

    int m_master = -1;
    pid_t m_pid = -1;
    bool m_reaped = false;
    std::string m_output;
    size_t m_matched = 0;
};
