#pragma once

// The names of a log file's rolled-over files. Portable code: no Win32 call.
//
// A file "vorna-output.log" is rolled over into "vorna-output.1.log", "vorna-output.2.log", ...:
// each roll-over takes the next number, so that the numbers tell the files' order and no file is
// ever renamed (a reader that holds one open could make a rename fail).

#include <string>
#include <vector>

// The name of rolled-over file number of the file named currentName.
std::string rolledFileName(const std::string& currentName, unsigned number);

// The number of candidate when it is a rolled-over file of the file named currentName, else 0.
// Names compare without regard to case, as Windows file names do.
unsigned rolledFileNumber(const std::string& currentName, const std::string& candidate);

// The number the next roll-over takes, after the rolled-over files numbered so.
unsigned nextRolledFileNumber(const std::vector<unsigned>& numbers);

// Of the rolled-over files numbered so, the numbers of those to delete so that keep remain: the
// oldest.
std::vector<unsigned> rolledFilesBeyond(std::vector<unsigned> numbers, unsigned keep);
