#include "creation_record.h"

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

void start_creation_record(const std::string& path, const JavaVMInitArgs& args)
{
    char version[32];
    std::snprintf(version, sizeof version, "0x%08x", static_cast<unsigned>(args.version));
    std::string text = std::string("version=") + version + "\n";
    text += "nOptions=" + std::to_string(args.nOptions) + "\n";
    text += "ignoreUnrecognized=" + std::to_string(args.ignoreUnrecognized) + "\n";
    for (jint i = 0; i < args.nOptions; ++i) {
        const char* option = args.options[i].optionString;
        text += std::string("option=") + (option != nullptr ? option : "") + "\n";
    }
    std::lock_guard<std::mutex> lock(record_mutex);
    record_path = path;
    write("w", text);
}

void append_to_creation_record(const std::string& key, const std::string& value)
{
    std::lock_guard<std::mutex> lock(record_mutex);
    if (!record_path.empty()) {
        write("a", key + "=" + value + "\n");
    }
}
