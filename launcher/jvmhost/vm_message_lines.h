#pragma once

// The lines of the VM's messages. Portable code: no Win32 or JNI call.

#include <map>
#include <string>
#include <vector>

#include "diagnostics/line_buffer.h"

// The VM writes its messages in pieces: a piece may end a line that an earlier one began, or hold
// several lines. Each writing thread's pieces are joined apart from the others'. Some messages
// begin through the VM's message hook and go on in a direct write to its C runtime's standard
// streams (a warning's text after its "... warning: " prefix), which carries no thread.
class VmMessageLines {
public:
    // Adds a piece written by thread through the hook; returns the lines it completed, without
    // their line ends. Empty lines are left out: they carry nothing worth a log line.
    std::vector<std::string> add(unsigned long thread, const std::string& piece);

    // Adds what the VM wrote to its standard streams directly. It goes on with the line of the one
    // thread that left a line unfinished in the hook; when no thread or several did, it cannot be
    // told whose it is and makes lines of its own.
    std::vector<std::string> addDirect(const std::string& piece);

    // Takes every line still waiting for its end, for a VM that will write no more.
    std::vector<std::string> takeUnfinished();

    // Forgets every line still waiting for its end.
    void dropUnfinished();

private:
    std::vector<std::string> addTo(unsigned long writer, const std::string& piece);

    std::map<unsigned long, LineBuffer> unfinished_;
};
