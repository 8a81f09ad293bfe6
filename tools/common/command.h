#pragma once
// Commands of a tool register themselves by name through a static Command
// object, each in a file of its own. A name of two words ("dn split") makes
// a sub-command: "dlink dn" alone or "dlink dn --help" lists the group.
#include <stdexcept>
#include <string>
#include <vector>

class CException;

using Args = std::vector<std::string>;

struct Command {
    using Handler = int (*)(const Args& args);
    // synopsis follows the name in the usage line ("[--ldap] FILE"); summary
    // is the one line in the tool's list; help, when not null, is printed
    // under the usage line by --help, before the option table.
    Command(const char* name, const char* synopsis, const char* summary, const char* help, Handler handler);

    const char* name;
    const char* synopsis;
    const char* summary;
    const char* help;
    Handler handler;
};

// Ends a command with "tool: <what>" on standard error and the status.
struct Failure : std::runtime_error {
    explicit Failure(const std::string& what, int status = 1) : std::runtime_error(what), status(status) {}
    int status;
};

// Ends a command with "tool: <what>", its short usage and status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Thrown by the option parser for -h/--help; carries the option table.
struct HelpRequest {
    std::string options;
};

// Runs the command named by the first words of argv and returns the exit status.
int runCommand(const char* program, int argc, char** argv);

// Prints "tool: message" to standard error and returns 1, for a command that
// reports a failure and goes on (the next file of several).
int fail(const std::string& message);

// The reason a class-library exception carries ("No such file or directory"
// for a file error, the class name otherwise), and deletes it.
std::string takeReason(CException* e);
