#pragma once
// Stored directory configurations (the layout `dlink configure` writes and
// hosts keep): loading one for the commands that take --config FILE.
#include <string>

#include "dirlink/dirlink.h"

// Fills settings from the configuration stored in the file ("-" reads
// standard input). Throws Failure naming the file when it cannot be read or
// holds no valid configuration.
void LoadConfigurationFile(const std::string& path, CLdapDirSettings& settings);
