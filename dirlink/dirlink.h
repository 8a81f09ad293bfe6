#pragma once
// dirlink: the whole public interface.
#include "platform/afx.h"
#include "dirlink/release_marker.h"
