#pragma once
// DES constant tables (des_tab.cpp); internal to the library.
#include "platform/types.h"

extern const unsigned char kDesPC1[56];
extern const unsigned char kDesPC2[48];
extern const unsigned char kDesRotations[16];
extern const DWORD kDesSP[8][64];
