#include "common/command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdio_ext.h>

#include "common/interrupt.h"
#include "platform/afx.h"

namespace {
std::vector<const Command*>& commands()
{
    static std::vector<const Command*> all;
    return all;
}

const char* programName = "tool";

std::string firstWord(const char* name)
{
    const char* space = std::strchr(name, ' ');
    return space ? std::string(name, space) : std::string(name);
}

// The command named by args[0] (and args[1] for a sub-command); how many
// words named it in *used. Null when there is none.
const Command* findCommand(const Args& args, size_t* used)
{
    for (const Command* command : commands()) {
        if (args.size() >= 2 && args[0] + " " + args[1] == command->name) {
            *used = 2;
            return command;
        }
    }
    for (const Command* command : commands()) {
        if (!args.empty() && args[0] == command->name) {
            *used = 1;
            return command;
        }
    }
    return nullptr;
}

// The list of commands, or of one group's sub-commands.
void listCommands(FILE* to, const std::string& group)
{
    std::vector<const Command*> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command* a, const Command* b) { return std::strcmp(a->name, b->name) < 0; });
    std::fprintf(to, "usage:\n");
    for (const Command* command : sorted)
        if (group.empty() || firstWord(command->name) == group)
            std::fprintf(to, "  %s %s %s\n      %s\n", programName, command->name, command->synopsis, command->summary);
    std::fprintf(to, "'%s COMMAND --help' describes a command.\n", programName);
}

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h" || arg == "help";
}

int runHandler(const Command& command, const Args& args)
{
    try {
        return command.handler(args);
    } catch (const HelpRequest& request) {
        std::printf("usage: %s %s %s\n\n%s\n", programName, command.name, command.synopsis, command.summary);
        if (command.help)
            std::printf("\n%s\n", command.help);
        if (!request.options.empty())
            std::printf("\noptions:\n%s", request.options.c_str());
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "%s: %s\nusage: %s %s %s\nTry '%s %s --help' for more.\n", programName, e.what(),
                     programName, command.name, command.synopsis, programName, command.name);
        return 2;
    } catch (const Failure& e) {
        fail(e.what());
        return e.status;
    } catch (CException* e) {
        return fail(takeReason(e));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}

// Flushes and closes standard output; a write that failed at any time turns
// the status into a failure. A closed descriptor with nothing to write is no
// failure.
int finishStandardOutput(int status)
{
    const bool pending = __fpending(stdout) != 0;
    const bool failedBefore = std::ferror(stdout) != 0;
    errno = 0;
    const bool closeFailed = std::fclose(stdout) != 0;
    if (failedBefore || (closeFailed && (pending || errno != EBADF))) {
        std::fprintf(stderr, "%s: write error on standard output%s%s\n", programName, errno ? ": " : "",
                     errno ? std::strerror(errno) : "");
        return status ? status : 1;
    }
    return status;
}
}  // namespace

Command::Command(const char* n, const char* s, const char* sum, const char* h, Handler handler)
    : name(n), synopsis(s), summary(sum), help(h), handler(handler)
{
    commands().push_back(this);
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return 1;
}

std::string takeReason(CException* e)
{
    std::string reason;
    if (auto* file = dynamic_cast<CFileException*>(e)) {
        if (file->m_lOsError > 0)
            reason = std::strerror((int)file->m_lOsError);
        if (!file->m_strFileName.IsEmpty())
            reason = std::string(file->m_strFileName) + ": " + reason;
    }
    if (reason.empty()) {
        char text[256] = "";
        e->GetErrorMessage(text, sizeof text);
        reason = text[0] ? text : e->GetRuntimeClass()->m_lpszClassName;
    }
    e->Delete();
    return reason;
}

int runCommand(const char* program, int argc, char** argv)
{
    programName = program;
    InstallInterruptHandlers();
    const Args all(argv + 1, argv + argc);
    size_t used = 0;
    int status = 0;
    if (const Command* command = findCommand(all, &used)) {
        status = runHandler(*command, Args(all.begin() + (long)used, all.end()));
    } else {
        // No command: the list, for the tool or for a group of sub-commands.
        const bool help = !all.empty() && isHelp(all.back());
        std::string group;
        for (const Command* c : commands())
            if (!all.empty() && firstWord(c->name) == all[0] && std::strchr(c->name, ' '))
                group = all[0];
        const bool listOnly = all.empty() || help || (!group.empty() && all.size() == 1);
        if (!listOnly)
            std::fprintf(stderr, "%s: unknown command '%s'\n", program,
                         (group.empty() ? all[0] : group + " " + all[1]).c_str());
        else if (!help && !group.empty())
            std::fprintf(stderr, "%s: '%s' needs a sub-command\n", program, group.c_str());
        listCommands(help ? stdout : stderr, group);
        status = help ? 0 : 2;
    }
    return finishStandardOutput(status);
}
