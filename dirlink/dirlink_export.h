#pragma once
// Symbols of libdirlink visible to hosts; the rest stays hidden.
#define DIRLINK_API __attribute__((visibility("default")))
