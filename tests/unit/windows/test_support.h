#pragma once

#include <string>

// A fresh empty directory under the Windows temp folder, with a trailing backslash.
std::string makeTestDirectory(const char* name);
void makeDirectory(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);

// Points the log at dataDirectory's "log\vorna-launcher.log", closing a log the process had open.
void useLogOf(const std::string& dataDirectory);
