// A text file beside the bridge that tests read: started anew, then appended to, from any thread.
#ifndef VORNA_JVM_BRIDGE_RECORD_FILE_H
#define VORNA_JVM_BRIDGE_RECORD_FILE_H

#include <mutex>
#include <string>

class RecordFile {
public:
    // Makes path the file and writes text as its whole content.
    void start(const std::string& path, const std::string& text);

    // Adds text to the file started last; does nothing before the first start.
    void append(const std::string& text);

private:
    void write(const char* mode, const std::string& text);

    std::mutex mutex_;
    std::string path_;
};

#endif
