#pragma once
// Runs a shell command for a test and collects its standard output (bytes
// as they are) and exit status (-1 when it did not exit normally).
#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ShellResult {
    std::string out;
    int status;
};

inline ShellResult runCommand(const std::string& command)
{
    ShellResult result;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int raw = pipe ? pclose(pipe) : -1;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

inline std::string runShell(const std::string& command, int* status = nullptr)
{
    ShellResult result = runCommand(command);
    if (status)
        *status = result.status;
    return result.out;
}
