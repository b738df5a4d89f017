#include "thread_record.h"

#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex record_mutex;
std::string record_path;

void write(const char* mode, const std::string& text)
{
    std::FILE* file = std::fopen(record_path.c_str(), mode);
    if (file == nullptr) {
        std::fprintf(stderr, "jvm-bridge: cannot write %s\n", record_path.c_str());
        return;
    }
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

} // namespace

void start_thread_record(const std::string& path)
{
    std::lock_guard<std::mutex> lock(record_mutex);
    record_path = path;
    write("w", "");
}

void record_current_thread(const char* use)
{
    // The kernel's thread id: what HotSpot names a writer by on Linux.
    const std::string line = std::to_string(gettid()) + " " + use + "\n";
    std::lock_guard<std::mutex> lock(record_mutex);
    if (!record_path.empty()) {
        write("a", line);
    }
}
