#include "config/properties.h"

#include <cstdio>
#include <cstring>

bool isPropertyWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string& trimRight(std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && isPropertyWhitespace(s[end - 1])) {
        --end;
    }
    s.erase(end);
    return s;
}

std::string& trimLeft(std::string& s) {
    std::size_t start = 0;
    while (start < s.size() && isPropertyWhitespace(s[start])) {
        ++start;
    }
    s.erase(0, start);
    return s;
}

std::string& trim(std::string& s) {
    return trimLeft(trimRight(s));
}

namespace {

void storeLine(const char* rawLine, PropertyMap& options, bool trace) {
    std::string line(rawLine);
    trim(line);
    if (line.empty() || line[0] == '#') {
        return;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return;
    }
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    trim(key);
    trim(value);
    if (trace) {
        std::fprintf(stderr, "KEY: %s --- VALUE: %s\n", key.c_str(), value.c_str());
        std::fflush(stderr);
    }
    options[key] = value;
}

}  // namespace

void parseProperties(char* text, PropertyMap& options, bool trace) {
    char* line = text;
    for (;;) {
        char* lineFeed = std::strchr(line, '\n');
        if (lineFeed != nullptr) {
            *lineFeed = '\0';
        }
        if (trace) {
            std::fprintf(stderr, "Parsing line: %s\n", line);
        }
        storeLine(line, options, trace);
        if (lineFeed == nullptr) {
            return;
        }
        line = lineFeed + 1;
    }
}
