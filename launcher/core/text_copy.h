#pragma once

#include <string>

// A new NUL-terminated copy of text, allocated with new[]. State that lives as long as the process
// keeps its copies for good; other callers release them with delete[].
char* copyText(const std::string& text);
