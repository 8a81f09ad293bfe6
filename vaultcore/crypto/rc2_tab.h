#pragma once
// RC2 constant tables; internal to the library.
#include "platform/types.h"

// RFC 2268 PITABLE (rc2_tab.cpp).
extern const unsigned char kRC2PiTable[256];
// The two stored tables of CBadRC2Algorithm (bad_rc2_tab.cpp).
extern const LONG kBadRC2TableA[256];
extern const unsigned char kBadRC2TableB[256];
