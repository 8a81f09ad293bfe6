// dlink configure FILE: edits a stored directory configuration on the terminal.
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "common/config_file.h"
#include "common/tool.h"

namespace {
const char kHelp[] =
    "Asks for the directory server, port, name form, user name and password on\n"
    "the terminal, starting from the values stored in FILE (or the defaults when\n"
    "FILE does not exist), and writes them back on OK. Enter keeps a value, a\n"
    "single '-' empties it; end of input cancels and leaves FILE as it was.\n"
    "\n"
    "When \"Remember password\" is set the password is stored in FILE in clear\n"
    "text, as the stored format has it; FILE is then written with mode 0600.\n"
    "Other commands read FILE with --config FILE.\n";

int configure(const Args& args)
{
    OptionSet options;
    const std::string path = options.parse(args, 1, 1)[0];
    if (path == "-")
        throw UsageError("FILE must be a file: the questions are asked on the terminal");

    CLdapDirSettings settings;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        LoadConfigurationFile(path, settings);
    else if (errno != ENOENT)
        throw Failure(path + ": " + std::strerror(errno));

    CDialogBackend* previous = AfxSetDialogBackend(&CTerminalDialogBackend::Standard());
    CString message;
    int result = IDCANCEL;
    WORD code = settings.Configure(nullptr, FALSE, message, &result);
    AfxSetDialogBackend(previous);
    if (code != CLdapDirSettings::kSuccess)
        throw Failure((const char*)message);
    if (result != IDOK)
        throw Failure("cancelled; " + path + " left as it was");

    OutputFile out(path);
    const bool keepsPassword = settings.m_rememberPassword && !settings.m_password.IsEmpty();
    if (keepsPassword && ::fchmod(out.file().m_hFile, 0600) != 0)
        throw Failure(path + ": " + std::strerror(errno));
    if (settings.SaveConfiguration(&out.file(), message) != CLdapDirSettings::kSuccess)
        throw Failure(path + ": " + (const char*)message);
    out.commit();
    return 0;
}

const Command command("configure", "FILE", "edit a stored directory configuration on the terminal", kHelp,
                      configure);
}  // namespace
