#include "probe_text.h"

#include <fstream>
#include <sstream>

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string escaped(const std::string& text)
{
    std::string result;
    for (const char c : text) {
        result += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return result;
}
