#pragma once
// netcore: the blocking TCP client socket layer of the directory client.
#define NETCORE_API __attribute__((visibility("default")))

// Release marker: the build of netcore that dirlink binds to.
extern "C" NETCORE_API void netcore_Release_980123();
