#pragma once
// Symbols of libplatform visible to hosts and to the other libraries; the rest
// stays hidden (-fvisibility=hidden).
#define PLATFORM_API __attribute__((visibility("default")))
