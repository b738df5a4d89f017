#include "diagnostics/line_buffer.h"

#include <cstring>

namespace {

void addLine(std::vector<std::string>& lines, std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    lines.push_back(std::move(line));
}

}  // namespace

void LineBuffer::add(const char* data, std::size_t size, std::vector<std::string>& lines) {
    const char* end = data + size;
    while (data < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(data, '\n', static_cast<std::size_t>(end - data)));
        if (lineEnd == nullptr) {
            unfinished_.append(data, end);
            return;
        }
        unfinished_.append(data, lineEnd);
        addLine(lines, std::move(unfinished_));
        unfinished_.clear();
        data = lineEnd + 1;
    }
}

std::string LineBuffer::takeUnfinished() {
    std::string line = std::move(unfinished_);
    unfinished_.clear();
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}
