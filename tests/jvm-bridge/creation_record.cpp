#include "creation_record.h"

#include <cstdio>

#include "record_file.h"

namespace {

RecordFile record;

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
    record.start(path, text);
}

void append_to_creation_record(const std::string& key, const std::string& value)
{
    record.append(key + "=" + value + "\n");
}
