#pragma once

#include <cstdint>

// Ends the caller's context text on the standard error stream with the code's name and number;
// codes outside the table of known names get a generic text.
void printSystemError(std::uint32_t code);
