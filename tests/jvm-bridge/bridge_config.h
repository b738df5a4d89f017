// jvm-bridge.cfg, an optional file beside the bridge:
//   libjvm=<Linux path of libjvm.so>   (default: the JDK 17 one the bridge was built for)
//   option=<VM option>                 (appended after the launcher's options; repeatable)
// Blank lines and lines starting with '#' are ignored.
#ifndef VORNA_JVM_BRIDGE_BRIDGE_CONFIG_H
#define VORNA_JVM_BRIDGE_BRIDGE_CONFIG_H

#include <string>
#include <vector>

struct BridgeConfig {
    std::string libjvm = VORNA_DEFAULT_LIBJVM;
    std::vector<std::string> options;
};

// A missing file gives the defaults. A line that is none of the above sets `error`.
BridgeConfig read_bridge_config(const std::string& path, std::string& error);

#endif
