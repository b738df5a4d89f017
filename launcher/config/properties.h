#pragma once

// The key=value format of the properties file. Portable code: no Win32 call, so that it also
// builds natively for sanitizer and fuzz runs.

#include <map>
#include <string>

using PropertyMap = std::map<std::string, std::string>;

// True for the six whitespace bytes: tab, line feed, vertical tab, form feed, carriage return,
// blank. Bytes 0x80 to 0xFF never are, whatever the locale.
bool isPropertyWhitespace(char c);

// Remove whitespace from the end, the start, or both ends of s, in place; return s.
std::string& trimRight(std::string& s);
std::string& trimLeft(std::string& s);
std::string& trim(std::string& s);

// Parses NUL-terminated text line by line into options (inserting or replacing keys). The text
// is split in place at its line feeds and ends at its first NUL. With trace, every raw line and
// every stored pair is written to the standard error stream.
void parseProperties(char* text, PropertyMap& options, bool trace);
