#include "thread_record.h"

#include <unistd.h>

#include "record_file.h"

namespace {

RecordFile record;

} // namespace

void start_thread_record(const std::string& path)
{
    record.start(path, "");
}

void record_current_thread(const char* use)
{
    // The kernel's thread id: what HotSpot names a writer by on Linux.
    record.append(std::to_string(gettid()) + " " + use + "\n");
}
