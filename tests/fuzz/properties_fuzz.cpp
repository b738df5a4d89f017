// Arbitrary bytes through the properties parser. Beyond what the sanitizers catch, it checks what
// the rest of the launcher relies on: every stored key and value is trimmed and holds no line feed
// and no NUL, and writing the map back as key=value lines parses to the same map.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/properties.h"

namespace {

PropertyMap parse(const std::string& content) {
    std::vector<char> text(content.begin(), content.end());
    text.push_back('\0');
    PropertyMap options;
    parseProperties(text.data(), options, false);
    return options;
}

bool isTrimmed(const std::string& s) {
    return s.empty() || (!isPropertyWhitespace(s.front()) && !isPropertyWhitespace(s.back()));
}

bool isClean(const std::string& s) {
    return isTrimmed(s) && s.find('\n') == std::string::npos && s.find('\0') == std::string::npos;
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PropertyMap options = parse(std::string(reinterpret_cast<const char*>(data), size));

    std::string written;
    for (const auto& [key, value] : options) {
        require(isClean(key));
        require(isClean(value));
        require(key.find('=') == std::string::npos);
        written += key + "=" + value + "\n";
    }
    require(parse(written) == options);
    return 0;
}
