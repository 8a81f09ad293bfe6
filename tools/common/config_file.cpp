#include "common/config_file.h"

#include <vector>

#include "common/command.h"
#include "common/input_file.h"

void LoadConfigurationFile(const std::string& path, CLdapDirSettings& settings)
{
    std::vector<unsigned char> bytes = InputFile(path).readAll();
    CMemFile file(bytes.empty() ? nullptr : bytes.data(), (UINT)bytes.size());
    CString message;
    if (settings.LoadConfiguration(&file, FALSE, message) != CLdapDirSettings::kSuccess)
        throw Failure(path + ": " + (const char*)message);
}
