#pragma once
#include "dirlink/dirlink_export.h"

// Release marker: names this build of dirlink.
extern "C" DIRLINK_API void dirlink_Release_980127();
