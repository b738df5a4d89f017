#pragma once

#include <cstdint>

// The printf format (taking the code as %d) that names a Windows error code; codes outside the
// table get a generic text.
const char* systemErrorFormat(std::uint32_t code);

// Ends the caller's context text on the standard error stream with the code's name and number.
void printSystemError(std::uint32_t code);
