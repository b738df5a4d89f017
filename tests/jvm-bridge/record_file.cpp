#include "record_file.h"

#include <cstdio>

void RecordFile::start(const std::string& path, const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    write("w", text);
}

void RecordFile::append(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!path_.empty()) {
        write("a", text);
    }
}

// The file is opened for each write, so that a test reads whatever was written so far.
void RecordFile::write(const char* mode, const std::string& text)
{
    std::FILE* file = std::fopen(path_.c_str(), mode);
    if (file == nullptr) {
        std::fprintf(stderr, "jvm-bridge: cannot write %s\n", path_.c_str());
        return;
    }
    std::fputs(text.c_str(), file);
    std::fclose(file);
}
