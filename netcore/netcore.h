#pragma once
// netcore: the blocking TCP client socket layer of the directory client.
#include "netcore/netcore_export.h"
#include "netcore/dns_exception.h"
#include "netcore/client_socket.h"

// Release marker: the build of netcore that dirlink binds to.
extern "C" NETCORE_API void netcore_Release_980123();
