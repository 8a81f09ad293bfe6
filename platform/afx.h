#pragma once
// The platform layer: the class library's types, strings, arrays, files,
// archive, exceptions and run-time classes, implemented on POSIX and the
// C++ standard library.
#include "platform/types.h"
#include "platform/cstring.h"
#include "platform/object.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/mem_file.h"
#include "platform/archive.h"
#include "platform/arrays.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "platform/combo_box.h"
#include "platform/wnd.h"
#include "platform/dialog.h"
#include "platform/data_exchange.h"
#include "platform/dialog_backend.h"
#include "platform/scripted_dialog_backend.h"
#include "platform/terminal_dialog_backend.h"
#include "platform/storage_interfaces.h"
#include "platform/ole_stream_file.h"
