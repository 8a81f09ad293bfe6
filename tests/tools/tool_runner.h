#pragma once
// Runs the built vcore and dlink through the shell, in a scratch folder of
// their own, and keeps what they print on each stream and their status.
#include <string>

struct ToolRun {
    int status;  // the exit status, or 128 + the signal that ended it
    std::string out, err;
    int errLines() const;
};

class ToolSandbox {
public:
    ToolSandbox();
    ~ToolSandbox();
    ToolSandbox(const ToolSandbox&) = delete;
    ToolSandbox& operator=(const ToolSandbox&) = delete;

    // The path of a name in the scratch folder.
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Names in the folder that start with a dot: left-over temporary files.
    std::string hiddenFiles() const;

    // Runs a shell command line in the folder; "vcore" and "dlink" name the
    // built tools.
    ToolRun run(const std::string& commandLine) const;

private:
    std::string m_dir;
};
