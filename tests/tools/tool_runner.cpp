#include "tools/tool_runner.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

int ToolRun::errLines() const
{
    return (int)std::count(err.begin(), err.end(), '\n');
}

ToolSandbox::ToolSandbox()
{
    char pattern[] = "/tmp/vc_toolsXXXXXX";
    m_dir = mkdtemp(pattern);
}

ToolSandbox::~ToolSandbox()
{
    std::system(("chmod -R u+w '" + m_dir + "'; rm -rf '" + m_dir + "'").c_str());
}

void ToolSandbox::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream(path(name), std::ios::binary) << bytes;
}

std::string ToolSandbox::read(const std::string& name) const
{
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool ToolSandbox::exists(const std::string& name) const
{
    return access(path(name).c_str(), F_OK) == 0;
}

std::string ToolSandbox::hiddenFiles() const
{
    std::string names;
    DIR* dir = opendir(m_dir.c_str());
    while (dirent* entry = dir ? readdir(dir) : nullptr) {
        std::string name = entry->d_name;
        if (name[0] == '.' && name != "." && name != "..")
            names += name + " ";
    }
    if (dir)
        closedir(dir);
    return names;
}

ToolRun ToolSandbox::run(const std::string& commandLine) const
{
    const std::string tools = std::string(VC_BINARY_DIR) + "/tools";
    const std::string script = "cd '" + m_dir + "' && PATH='" + tools + "':\"$PATH\" && " + commandLine;
    const std::string wrapped = "bash -c '" + [&] {
        std::string quoted;
        for (char c : script)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted;
    }() + "' >'" + path(".out") + "' 2>'" + path(".err") + "'";
    const int raw = std::system(wrapped.c_str());
    ToolRun result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = read(".out");
    result.err = read(".err");
    std::remove(path(".out").c_str());
    std::remove(path(".err").c_str());
    return result;
}
