// Text the probe reads and shows.
#ifndef VORNA_BRIDGE_PROBE_PROBE_TEXT_H
#define VORNA_BRIDGE_PROBE_PROBE_TEXT_H

#include <string>

// The bytes of a file as they are (no CR LF translation); empty when it cannot be read.
std::string read_file(const std::string& path);

// `text` with a line feed shown as \n and a carriage return as \r.
std::string escaped(const std::string& text);

#endif
