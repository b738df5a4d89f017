#include "diagnostics/formatted_text.h"

#include <cstdio>

std::string formattedText(const char* format, va_list arguments) {
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string withCrLf(const std::string& text) {
    std::string stored;
    stored.reserve(text.size() + text.size() / 32 + 2);
    for (char c : text) {
        if (c == '\n') {
            stored += '\r';
        }
        stored += c;
    }
    return stored;
}
