// The configuration dialog on the desktop: a throwaway X server (Xvfb), the
// GTK plug-in chosen because a display is there, the dialog filled and
// pressed through GTK's own functions, a picture of it taken, and the
// configuration it leaves checked byte for byte.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "dirlink/dirlink.h"
#include "platform/plugins/gtk_plugin.h"

#ifdef VC_HAVE_GTK
#include <gtk/gtk.h>

// GTK and the libraries under it keep allocations until the process ends.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2.0\nleak:libgobject-2.0\nleak:libgio-2.0\n"
           "leak:libfontconfig\nleak:libpango\nleak:libcairo\nleak:libharfbuzz\nleak:libX11\nleak:libgdk_pixbuf\n"
           "leak:libplatform_gtk\n";
}

namespace {
const std::string kScreenshot = std::string(VC_BINARY_DIR) + "/configure_dialog.png";

// What the GTK side saw and did, as key=value lines for the test process.
struct Findings {
    std::map<std::string, std::string> values;
    void set(const std::string& key, const std::string& value) { values[key] = value; }
    void write(const std::string& path) const
    {
        std::ofstream out(path);
        for (const auto& [key, value] : values)
            out << key << '=' << value << '\n';
    }
};

GtkWidget* findControl(GtkWidget* root, int id)
{
    std::string wanted = "control-" + std::to_string(id);
    if (wanted == gtk_widget_get_name(root))
        return root;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(root)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(root));
        for (GList* child = children; child && !found; child = child->next)
            found = findControl(GTK_WIDGET(child->data), id);
        g_list_free(children);
    }
    return found;
}

void settle()
{
    for (int round = 0; round < 10; ++round) {
        while (gtk_events_pending())
            gtk_main_iteration();
        g_usleep(20000);
    }
}

void onShown(void* window, const char* kind, void* context)
{
    auto* findings = static_cast<Findings*>(context);
    GtkWidget* widget = GTK_WIDGET(window);
    if (std::string(kind) == "message") {
        gchar* text = nullptr;
        g_object_get(widget, "text", &text, nullptr);
        findings->set("message.title", gtk_window_get_title(GTK_WINDOW(widget)));
        findings->set("message.text", text ? text : "");
        g_free(text);
        gtk_dialog_response(GTK_DIALOG(widget), IDOK);
        return;
    }
    findings->set("title", gtk_window_get_title(GTK_WINDOW(widget)));
    GtkWidget* server = findControl(widget, IDC_CONFIG_SERVER);
    GtkWidget* port = findControl(widget, IDC_CONFIG_PORT);
    GtkWidget* user = findControl(widget, IDC_CONFIG_USER_NAME);
    GtkWidget* password = findControl(widget, IDC_CONFIG_PASSWORD);
    GtkWidget* nameForm = findControl(widget, IDC_CONFIG_NAME_FORM);
    GtkWidget* remember = findControl(widget, IDC_CONFIG_REMEMBER_PASSWORD);
    GtkWidget* ok = findControl(widget, IDOK);
    if (!server || !port || !user || !password || !nameForm || !remember || !ok) {
        findings->set("controls", "missing");
        gtk_window_close(GTK_WINDOW(widget));
        return;
    }
    findings->set("initial.server", gtk_entry_get_text(GTK_ENTRY(server)));
    findings->set("initial.port", gtk_entry_get_text(GTK_ENTRY(port)));
    findings->set("password.visible", gtk_entry_get_visibility(GTK_ENTRY(password)) ? "yes" : "no");

    gtk_entry_set_text(GTK_ENTRY(server), "ldap.example.com");
    gtk_entry_set_text(GTK_ENTRY(port), "636");
    gint at = 3;
    gtk_editable_insert_text(GTK_EDITABLE(port), "x", 1, &at);  // refused: digits only
    findings->set("port.after.letter", gtk_entry_get_text(GTK_ENTRY(port)));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(nameForm), TRUE);
    gtk_entry_set_text(GTK_ENTRY(user), "P.Varek");
    gtk_entry_set_text(GTK_ENTRY(password), "secret");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(remember), TRUE);
    settle();

    GdkWindow* surface = gtk_widget_get_window(widget);
    GdkPixbuf* picture = gdk_pixbuf_get_from_window(surface, 0, 0, gdk_window_get_width(surface),
                                                    gdk_window_get_height(surface));
    if (picture) {
        findings->set("picture.size", std::to_string(gdk_pixbuf_get_width(picture)) + "x" +
                                          std::to_string(gdk_pixbuf_get_height(picture)));
        gdk_pixbuf_save(picture, kScreenshot.c_str(), "png", nullptr, nullptr);
        g_object_unref(picture);
    }

    gtk_button_clicked(GTK_BUTTON(ok));  // refused: the user name is no DN
    findings->set("focus.after.message", gtk_window_get_focus(GTK_WINDOW(widget)) == user ? "user name" : "elsewhere");
    gtk_entry_set_text(GTK_ENTRY(user), "cn=P.Varek, c=BY");
    gtk_button_clicked(GTK_BUTTON(ok));
}

// The GTK side, in a process of its own: the X server can then be stopped
// without GTK noticing its display go.
[[noreturn]] void runDesktopChild(const std::string& display, const std::string& findingsPath)
{
    alarm(60);  // a dialog that never ends must not hold up the test run
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    Findings findings;
    void* plugin = dlopen(AfxGetDesktopPluginPath(), RTLD_NOW | RTLD_LOCAL);
    auto setHook = plugin ? (PlatformGtkSetShownHook)dlsym(plugin, PLATFORM_GTK_SET_SHOWN_HOOK) : nullptr;
    if (!setHook) {
        findings.set("plugin", "not loaded");
        findings.write(findingsPath);
        _exit(0);
    }
    setHook(onShown, &findings);
    AfxSetDialogBackend(nullptr);
    findings.set("backend", AfxGetDialogBackend() && AfxGetDialogBackend() == AfxGetDesktopDialogBackend()
                                ? "desktop" : "other");

    CLdapDirSettings settings;
    CString message;
    int result = 0;
    WORD code = settings.Configure(nullptr, FALSE, message, &result);
    findings.set("configure", std::to_string(code) + " " + std::to_string(result));
    CMemFile stored;
    settings.SaveConfiguration(&stored, message);
    std::string hex;
    stored.SeekToBegin();
    for (BYTE b; stored.Read(&b, 1) == 1;) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    findings.set("stored", hex);
    findings.write(findingsPath);
    _exit(0);
}

// A throwaway X server on a free display number, stopped by the destructor.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int numberPipe[2];
        if (pipe(numberPipe) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(numberPipe[0]);
            std::string fd = std::to_string(numberPipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                   (char*)nullptr);
            _exit(127);
        }
        close(numberPipe[1]);
        // The number ends with a line break, which the server may write
        // separately: the pipe stays open until the server is stopped.
        m_numberPipe = numberPipe[0];
        std::string number;
        pollfd p{m_numberPipe, POLLIN, 0};
        char ch;
        while (m_pid > 0 && poll(&p, 1, 15000) > 0 && read(m_numberPipe, &ch, 1) == 1 && ch != '\n')
            number += ch;
        if (!number.empty())
            m_display = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_numberPipe >= 0)
            close(m_numberPipe);
    }
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    int m_numberPipe = -1;
    std::string m_display;
};

bool onPath(const char* program)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}
}  // namespace

TEST(DesktopConfigureDialog, FilledThroughGtkAndStored)
{
    if (access(AfxGetDesktopPluginPath(), R_OK) != 0)
        GTEST_SKIP() << "the desktop plug-in was not built: " << (const char*)AfxGetDesktopPluginPath();
    if (!onPath("Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay display;
    if (display.display().empty())
        GTEST_SKIP() << "Xvfb did not start";

    const std::string findingsPath = std::string(VC_BINARY_DIR) + "/configure_gtk_findings.txt";
    std::remove(findingsPath.c_str());
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        runDesktopChild(display.display(), findingsPath);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    std::map<std::string, std::string> found;
    std::ifstream in(findingsPath);
    for (std::string line; std::getline(in, line);)
        found[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    EXPECT_EQ("desktop", found["backend"]);
    EXPECT_EQ("Configure X.500 Directory Manager", found["title"]);
    EXPECT_EQ("localhost", found["initial.server"]);
    EXPECT_EQ("389", found["initial.port"]);
    EXPECT_EQ("no", found["password.visible"]);
    EXPECT_EQ("636", found["port.after.letter"]);
    EXPECT_EQ("Directory entry error", found["message.title"]);
    EXPECT_EQ("The Distinguished name you have typed is not valid.", found["message.text"]);
    EXPECT_EQ("user name", found["focus.after.message"]);
    EXPECT_EQ("0 1", found["configure"]);  // success, OK chosen

    CLdapDirSettings expected;
    expected.m_server = "ldap.example.com";
    expected.m_port = 636;
    expected.m_nameForm = 1;
    expected.m_userName = "cn=P.Varek, c=BY";
    expected.m_password = "secret";
    expected.m_rememberPassword = TRUE;
    CMemFile bytes;
    CString message;
    expected.SaveConfiguration(&bytes, message);
    std::string hex;
    bytes.SeekToBegin();
    for (BYTE b; bytes.Read(&b, 1) == 1;) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    EXPECT_EQ(hex, found["stored"]);

    // The picture has the dialog's proportions: 236 by 188 dialog units,
    // a unit being a quarter of the font's average character width across
    // and an eighth of its height down; for any ordinary font that width is
    // 0.35 to 0.65 of the height.
    int width = 0, height = 0;
    ASSERT_EQ(2, std::sscanf(found["picture.size"].c_str(), "%dx%d", &width, &height)) << found["picture.size"];
    const double unitsRatio = (236.0 / 4) / (188.0 / 8);
    EXPECT_GT((double)width / height, 0.35 * unitsRatio);
    EXPECT_LT((double)width / height, 0.65 * unitsRatio);
    EXPECT_EQ(0, access(kScreenshot.c_str(), R_OK));
}
#else
TEST(DesktopConfigureDialog, FilledThroughGtkAndStored)
{
    GTEST_SKIP() << "GTK 3 development files were not found when building: the desktop dialog is not built";
}
#endif
