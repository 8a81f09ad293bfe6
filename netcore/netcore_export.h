#pragma once
// Symbols of libnetcore visible to hosts and to dirlink; the rest stays hidden.
#define NETCORE_API __attribute__((visibility("default")))
