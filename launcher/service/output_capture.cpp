#include "service/output_capture.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/process_state.h"
#include "diagnostics/line_buffer.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/vm_hooks.h"

namespace {

const DWORD drainMilliseconds = 2000;

// The reader thread of javaOutputCapture is the only one to use these.
LineBuffer javaOutputLines;
bool javaOutputFileFailed = false;

// The lines of one read go to the file in one write, and so whole into one file.
void writeJavaOutputLines(const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return;
    }
    if (!javaOutputFile->open()) {
        // Said once until the file opens again; what comes meanwhile is lost.
        if (!javaOutputFileFailed) {
            javaOutputFileFailed = true;
            writeLog("Cannot open %s (Windows error code %lu): the application's output is lost until it can be.",
                     javaOutputFile->path().c_str(), GetLastError());
        }
        return;
    }
    javaOutputFileFailed = false;
    std::string stamp = logTimeNow();
    std::string text;
    for (const std::string& line : lines) {
        text += stamp + line + "\r\n";
    }
    javaOutputFile->write(text);
    logRollFailure(*javaOutputFile);
}

void writeJavaOutput(const char* data, std::size_t size) {
    std::vector<std::string> lines;
    javaOutputLines.add(data, size, lines);
    writeJavaOutputLines(lines);
}

void flushJavaOutput() {
    if (javaOutputLines.hasUnfinished()) {
        writeJavaOutputLines({javaOutputLines.takeUnfinished()});
    }
}

StreamCapture* startCapture(const char* name, StreamCapture::Sink sink, StreamCapture::Flush flush) {
    StreamCapture* capture = new StreamCapture();
    if (!capture->start(name, sink, flush)) {
        delete capture;
        return nullptr;
    }
    return capture;
}

}  // namespace

void startOutputCapture() {
    javaOutputFile = new RollingFile(std::string(dataPath) + "log\\vorna-output.log");
    javaOutputCapture = startCapture("output", writeJavaOutput, flushJavaOutput);
    if (javaOutputCapture != nullptr) {
        // A Windows VM gives System.out and System.err the standard handles it finds at its creation.
        SetStdHandle(STD_OUTPUT_HANDLE, javaOutputCapture->writer());
        SetStdHandle(STD_ERROR_HANDLE, javaOutputCapture->writer());
    } else {
        writeLog("The application's standard output and error cannot be captured: they are lost.");
    }
    vmOutputCapture = startCapture("vm", logVmDirectOutput, nullptr);
}

void drainOutputCapture() {
    for (StreamCapture* capture : {javaOutputCapture, vmOutputCapture}) {
        if (capture != nullptr) {
            capture->drain(drainMilliseconds);
        }
    }
}
