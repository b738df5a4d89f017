#include "diagnostics/log_limits.h"

namespace {

// The value of a text of decimal digits only, no greater than limit; false for anything else.
bool parseWholeNumber(const std::string& digits, std::uint64_t limit, std::uint64_t& value) {
    if (digits.empty()) {
        return false;
    }
    value = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
        if (value > limit) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool parseLogSize(const std::string& text, std::uint64_t& bytes) {
    if (text.empty()) {
        return false;
    }
    const std::uint64_t mebibyte = 1024ULL * 1024;
    std::uint64_t unit = 0;
    if (text.back() == 'M') {
        unit = mebibyte;
    } else if (text.back() == 'G') {
        unit = 1024 * mebibyte;
    } else {
        return false;
    }
    const std::uint64_t largest = 1024 * 1024 * mebibyte;
    std::uint64_t count = 0;
    if (!parseWholeNumber(text.substr(0, text.size() - 1), largest / unit, count) || count == 0) {
        return false;
    }
    bytes = count * unit;
    return true;
}

bool parseLogFilesKept(const std::string& text, unsigned& count) {
    std::uint64_t value = 0;
    if (!parseWholeNumber(text, maxLogFilesKept, value)) {
        return false;
    }
    count = static_cast<unsigned>(value);
    return true;
}
