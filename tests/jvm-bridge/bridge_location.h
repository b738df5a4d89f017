// Where the loaded jvm.dll lies: its configuration and record files sit beside it. A service's
// environment is not the test's, so files, not environment variables, carry the test's wishes.
#ifndef VORNA_JVM_BRIDGE_BRIDGE_LOCATION_H
#define VORNA_JVM_BRIDGE_BRIDGE_LOCATION_H

#include <string>

// The Linux path of the directory holding this module.
std::string bridge_directory();

#endif
