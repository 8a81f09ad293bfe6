#include "netcore/netcore.h"

extern "C" void netcore_Release_980123() {}
