#pragma once

// Text that arrives in chunks, cut into lines. Portable code: no Win32 call.

#include <cstddef>
#include <string>
#include <vector>

class LineBuffer {
public:
    // Appends a chunk; each line it completes goes to lines, without its line end (LF or CR LF).
    void add(const char* data, std::size_t size, std::vector<std::string>& lines);

    bool hasUnfinished() const { return !unfinished_.empty(); }

    // Takes what still waits for its line end, for text that will get no more.
    std::string takeUnfinished();

private:
    std::string unfinished_;
};
