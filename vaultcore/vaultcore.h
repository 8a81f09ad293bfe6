#pragma once
// vaultcore: the whole public interface.
#include "platform/afx.h"
#include "vaultcore/release_marker.h"
