#pragma once

// The bounds of the files in the log folder, as vorna.properties sets them. Portable code: no
// Win32 call.

#include <cstdint>
#include <string>

// A file is rolled over before a write would take it past this size, in bytes.
const std::uint64_t defaultLogSizeLimit = 10ULL * 1024 * 1024;
// How many rolled-over files of each log are kept beside the current one.
const unsigned defaultLogFilesKept = 5;
const unsigned maxLogFilesKept = 999;

// "logsize": a whole number of mebibytes or gibibytes, written as memsize is ("1M", "10M",
// "1G"), from 1M to 1024G; false for anything else.
bool parseLogSize(const std::string& text, std::uint64_t& bytes);

// "logfiles": a whole number from 0 to maxLogFilesKept; false for anything else.
bool parseLogFilesKept(const std::string& text, unsigned& count);
