#include "vaultcore/release_marker.h"

extern "C" void vaultcore_Release_980204() {}
