#pragma once
// Symbols of libvaultcore visible to hosts; the rest stays hidden.
#define VAULTCORE_API __attribute__((visibility("default")))
