#pragma once

// The lines of the VM's messages. Portable code: no Win32 or JNI call.

#include <map>
#include <string>
#include <vector>

// The VM writes its messages in pieces: a piece may end a line that an earlier one began, or hold
// several lines. Each writing thread's pieces are joined apart from the others'.
class VmMessageLines {
public:
    // Adds a piece written by thread; returns the lines it completed, without their line ends.
    // Empty lines are left out: they carry nothing worth a log line.
    std::vector<std::string> add(unsigned long thread, const std::string& piece);

    // Takes every line still waiting for its end, for a VM that will write no more.
    std::vector<std::string> takeUnfinished();

    // Forgets every line still waiting for its end.
    void dropUnfinished();

private:
    std::map<unsigned long, std::string> unfinished_;
};
