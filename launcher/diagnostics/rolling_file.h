#pragma once

#include <windows.h>

#include <string>

#include "core/handle_owner.h"

// A file of the log folder, bounded in size. A write that would take it past logSizeLimit first
// rolls it over: its content is copied into its next rolled-over file (rolled_files.h) and it is
// emptied in place, so that a reader that holds it open never makes the roll-over fail; of the
// rolled-over files only the logFilesKept newest are kept. Other programs may read the file
// meanwhile, never write it, and never get its handle: it is not inherited. Callable from any
// thread; each write lands whole in one file.
class RollingFile {
public:
    explicit RollingFile(std::string path);
    ~RollingFile();
    RollingFile(const RollingFile&) = delete;
    RollingFile& operator=(const RollingFile&) = delete;

    const std::string& path() const { return path_; }

    // Opens the file for appending unless it is open; false, with GetLastError telling why, when
    // it cannot be.
    bool open();

    // Appends bytes; false when the file is not open or the write failed.
    bool write(const std::string& bytes);

    // Why the last roll-over could not keep the file's content, for the caller to report; empty
    // when nothing was lost.
    std::string takeRollFailure();

private:
    void rollOver();
    bool copyInto(const std::string& rolledPath);

    std::string path_;
    CRITICAL_SECTION lock_;
    KernelHandle file_;  // guarded by lock_
    unsigned long long size_ = 0;
    std::string rollFailure_;
};
