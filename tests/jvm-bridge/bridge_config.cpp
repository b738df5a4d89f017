#include "bridge_config.h"

#include <fstream>

namespace {

bool blank_or_comment(const std::string& line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

} // namespace

BridgeConfig read_bridge_config(const std::string& path, std::string& error)
{
    BridgeConfig config;
    std::ifstream file(path);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        // The file may well be written on the Windows side.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (blank_or_comment(line)) {
            continue;
        }
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "libjvm" && !value.empty()) {
            config.libjvm = value;
        } else if (key == "option" && !value.empty()) {
            config.options.push_back(value);
        } else {
            error = path + " line " + std::to_string(number) + ": cannot use '" + line + "'";
            break;
        }
    }
    return config;
}
