// Fuzz harness for loading stored directory configurations. Besides
// surviving any input, it checks what loading promises: a failure names
// itself and resets the server and port; a success sets rememberPassword
// exactly when a password was loaded, and what loads stores back to bytes
// that load to the same settings and store to the same bytes again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dirlink/dirlink.h"

namespace {
void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "configuration_fuzz: %s\n", what);
        std::abort();
    }
}

std::vector<BYTE> store(const CLdapDirSettings& settings)
{
    CMemFile file;
    CString message;
    require(settings.SaveConfiguration(&file, message) == 0, "loaded settings store");
    std::vector<BYTE> bytes(file.GetLength());
    file.SeekToBegin();
    file.Read(bytes.data(), (UINT)bytes.size());
    return bytes;
}

bool same(const CLdapDirSettings& a, const CLdapDirSettings& b)
{
    return a.m_server == b.m_server && a.m_port == b.m_port && a.m_nameForm == b.m_nameForm &&
           a.m_userName == b.m_userName && a.m_password == b.m_password &&
           a.m_rememberPassword == b.m_rememberPassword;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    std::vector<BYTE> input(data, data + size);
    CMemFile file(input.empty() ? nullptr : input.data(), (UINT)input.size());
    CLdapDirSettings settings;
    settings.m_port = 1;
    CString message;
    if (settings.LoadConfiguration(&file, FALSE, message) != 0) {
        require(message == "Failed to load configurations.", "a failed load says so");
        require(settings.m_server.IsEmpty() && settings.m_port == 389, "a failed load resets server and port");
        return 0;
    }
    require(message.IsEmpty(), "a good load leaves no message");
    require(file.GetPosition() <= size, "loading stays inside the data");
    require(settings.m_rememberPassword == (settings.m_password.IsEmpty() ? FALSE : TRUE),
            "rememberPassword follows the password");

    std::vector<BYTE> stored = store(settings);
    CMemFile again(stored.data(), (UINT)stored.size());
    CLdapDirSettings reloaded;
    require(reloaded.LoadConfiguration(&again, FALSE, message) == 0, "stored settings load");
    require(same(settings, reloaded), "stored settings load unchanged");
    require(again.GetPosition() == stored.size(), "stored settings are read to their end");
    require(store(reloaded) == stored, "storing is stable");
    return 0;
}
