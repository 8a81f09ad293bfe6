#pragma once
// The entry points of the desktop dialog plug-in (libplatform_gtk.so), found
// with dlsym. Programs use dialogs through CDialog; only tests that drive the
// desktop dialogs through the toolkit call the hook directly.

// The plug-in's backend, or null when GTK cannot open the display. The first
// call initialises GTK on the calling thread, which is then the only thread
// that can show dialogs through it.
typedef void* (*PlatformGtkBackendEntry)();
#define PLATFORM_GTK_BACKEND_ENTRY "platform_gtk_dialog_backend"

// Called on the toolkit's thread once each window is on the screen: kind is
// "dialog" for a dialog, "message" for a message box; window is its
// GtkWindow (a GtkMessageDialog for a message box). Null removes the hook.
typedef void (*PlatformGtkShownHook)(void* window, const char* kind, void* context);
typedef void (*PlatformGtkSetShownHook)(PlatformGtkShownHook hook, void* context);
#define PLATFORM_GTK_SET_SHOWN_HOOK "platform_gtk_set_shown_hook"
