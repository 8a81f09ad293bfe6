#include "dirlink/release_marker.h"

#include <cstdlib>

#include "netcore/netcore.h"
#include "vaultcore/release_marker.h"

extern "C" void dirlink_Release_980127() {}

namespace {
// Registering the markers of the libraries dirlink was built against binds
// dirlink, at load time, to exactly those builds: a missing marker fails the load.
struct BindReleases {
    BindReleases()
    {
        std::atexit(vaultcore_Release_980204);
        std::atexit(netcore_Release_980123);
    }
} bindReleases;
}  // namespace
