#include "jvmhost/vm_message_lines.h"

#include <algorithm>

namespace {

// The writer that direct writes belong to when no thread of the hook's can be named; Windows
// never gives a thread the id 0.
const unsigned long unknownWriter = 0;

void dropEmptyLines(std::vector<std::string>& lines) {
    lines.erase(std::remove(lines.begin(), lines.end(), std::string()), lines.end());
}

}  // namespace

std::vector<std::string> VmMessageLines::addTo(unsigned long writer, const std::string& piece) {
    std::vector<std::string> lines;
    LineBuffer& buffer = unfinished_[writer];
    buffer.add(piece.data(), piece.size(), lines);
    if (!buffer.hasUnfinished()) {
        unfinished_.erase(writer);
    }
    dropEmptyLines(lines);
    return lines;
}

std::vector<std::string> VmMessageLines::add(unsigned long thread, const std::string& piece) {
    return addTo(thread, piece);
}

std::vector<std::string> VmMessageLines::addDirect(const std::string& piece) {
    unsigned long writer = unknownWriter;
    std::size_t begun = 0;
    for (const auto& entry : unfinished_) {
        if (entry.first != unknownWriter) {
            writer = entry.first;
            ++begun;
        }
    }
    return addTo(begun == 1 ? writer : unknownWriter, piece);
}

std::vector<std::string> VmMessageLines::takeUnfinished() {
    std::vector<std::string> lines;
    for (auto& entry : unfinished_) {
        lines.push_back(entry.second.takeUnfinished());
    }
    unfinished_.clear();
    dropEmptyLines(lines);
    return lines;
}

void VmMessageLines::dropUnfinished() {
    unfinished_.clear();
}
