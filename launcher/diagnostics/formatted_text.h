#pragma once

// printf formatting into a string of any length. Portable code: no Win32 call.

#include <cstdarg>
#include <string>

// The text of format with arguments, printf rules; empty when the format cannot be applied.
std::string formattedText(const char* format, va_list arguments);

// Text as a text-mode stream stores it, as the launcher's files keep it: each line feed as CR LF.
std::string withCrLf(const std::string& text);
