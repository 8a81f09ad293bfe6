#include "platform/dialog_backend.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <unistd.h>

#include "platform/dialog.h"
#include "platform/plugins/gtk_plugin.h"
#include "platform/terminal_dialog_backend.h"

namespace {
std::atomic<CDialogBackend*> g_chosenBackend{nullptr};

const char kPluginFile[] = "libplatform_gtk.so";

bool displayPresent()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::mutex g_appNameLock;
CString g_appName;
}  // namespace

void CDialogBackend::ControlChanged(CDialog&, CWnd&, ControlChange) {}

CDialogBackend* AfxSetDialogBackend(CDialogBackend* backend)
{
    return g_chosenBackend.exchange(backend);
}

CDialogBackend* AfxGetDialogBackend()
{
    if (CDialogBackend* chosen = g_chosenBackend.load())
        return chosen;
    if (displayPresent())
        if (CDialogBackend* desktop = AfxGetDesktopDialogBackend())
            return desktop;
    if (isatty(STDIN_FILENO))
        return &CTerminalDialogBackend::Standard();
    return nullptr;
}

CString AfxGetDesktopPluginPath()
{
    Dl_info info{};
    if (!dladdr((void*)&AfxGetDesktopPluginPath, &info) || !info.dli_fname)
        return kPluginFile;
    char resolved[PATH_MAX];
    CString library = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    int slash = library.ReverseFind('/');
    return slash < 0 ? CString(kPluginFile) : library.Left(slash + 1) + kPluginFile;
}

CDialogBackend* AfxGetDesktopDialogBackend()
{
    // Loaded once and never unloaded: GTK cannot be taken out of a process.
    static CDialogBackend* const desktop = []() -> CDialogBackend* {
        void* plugin = dlopen(AfxGetDesktopPluginPath(), RTLD_NOW | RTLD_LOCAL);
        if (!plugin)
            return nullptr;
        auto entry = (PlatformGtkBackendEntry)dlsym(plugin, PLATFORM_GTK_BACKEND_ENTRY);
        return entry ? static_cast<CDialogBackend*>(entry()) : nullptr;
    }();
    return desktop;
}

int AfxMessageBox(const char* text, UINT type, UINT)
{
    CWnd* owner = CDialog::GetActiveDialog();
    if (owner)
        return owner->MessageBox(text, nullptr, type);
    CDialogBackend* backend = AfxGetDialogBackend();
    return backend ? backend->MessageBox(nullptr, text, AfxGetAppName(), type) : 0;
}

CString AfxGetAppName()
{
    std::lock_guard<std::mutex> hold(g_appNameLock);
    return g_appName.IsEmpty() ? CString(program_invocation_short_name) : g_appName;
}

void AfxSetAppName(const char* name)
{
    std::lock_guard<std::mutex> hold(g_appNameLock);
    g_appName = name;
}
