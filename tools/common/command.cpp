#include "common/command.h"

#include <cstdio>
#include <cstring>

namespace {
std::vector<const Command*>& commands()
{
    static std::vector<const Command*> all;
    return all;
}
const char* programName = "tool";
}  // namespace

Command::Command(const char* n, const char* u, Handler h) : name(n), usage(u), handler(h)
{
    commands().push_back(this);
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return 1;
}

int runCommand(const char* program, int argc, char** argv)
{
    programName = program;
    if (argc >= 2) {
        for (const Command* command : commands()) {
            if (std::strcmp(command->name, argv[1]) == 0) {
                std::vector<std::string> args(argv + 2, argv + argc);
                return command->handler(args);
            }
        }
        if (std::strcmp(argv[1], "--help") != 0 && std::strcmp(argv[1], "help") != 0)
            std::fprintf(stderr, "%s: unknown command '%s'\n", program, argv[1]);
    }
    std::fprintf(stderr, "usage:\n");
    for (const Command* command : commands())
        std::fprintf(stderr, "  %s %s\n", program, command->usage);
    return 2;
}
