#pragma once
// Sub-commands of a command-line tool register themselves by name through a
// static Command object, so each lives in a file of its own.
#include <string>
#include <vector>

struct Command {
    using Handler = int (*)(const std::vector<std::string>& args);
    Command(const char* name, const char* usage, Handler handler);

    const char* name;
    const char* usage;
    Handler handler;
};

// Runs the command named by argv[1]; prints the usage when there is none.
int runCommand(const char* program, int argc, char** argv);

// Prints "program: message" to standard error and returns the failure status 1.
int fail(const std::string& message);
