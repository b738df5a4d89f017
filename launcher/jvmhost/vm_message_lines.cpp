#include "jvmhost/vm_message_lines.h"

namespace {

void addLine(std::vector<std::string>& lines, std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
}

}  // namespace

std::vector<std::string> VmMessageLines::add(unsigned long thread, const std::string& piece) {
    std::vector<std::string> lines;
    std::string& unfinished = unfinished_[thread];
    std::size_t start = 0;
    for (std::size_t end = piece.find('\n'); end != std::string::npos; end = piece.find('\n', start)) {
        unfinished.append(piece, start, end - start);
        addLine(lines, std::move(unfinished));
        unfinished.clear();
        start = end + 1;
    }
    unfinished.append(piece, start, std::string::npos);
    if (unfinished.empty()) {
        unfinished_.erase(thread);
    }
    return lines;
}

std::vector<std::string> VmMessageLines::takeUnfinished() {
    std::vector<std::string> lines;
    for (auto& entry : unfinished_) {
        addLine(lines, std::move(entry.second));
    }
    unfinished_.clear();
    return lines;
}

void VmMessageLines::dropUnfinished() {
    unfinished_.clear();
}
