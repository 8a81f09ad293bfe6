#pragma once
#include "vaultcore/vaultcore_export.h"

// Release marker: names this build of vaultcore.
extern "C" VAULTCORE_API void vaultcore_Release_980204();
