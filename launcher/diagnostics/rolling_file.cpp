#include "diagnostics/rolling_file.h"

#include <vector>

#include "core/process_state.h"
#include "diagnostics/rolled_files.h"

namespace {

const DWORD copyChunk = 1024 * 1024;

// The numbers of the rolled-over files of the file named name in directory.
std::vector<unsigned> rolledFileNumbers(const std::string& directory, const std::string& name) {
    std::vector<unsigned> numbers;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return numbers;
    }
    do {
        if (unsigned number = rolledFileNumber(name, entry.cFileName)) {
            numbers.push_back(number);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return numbers;
}

bool writeWhole(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        DWORD part = size > copyChunk ? copyChunk : static_cast<DWORD>(size);
        if (!WriteFile(file, data, part, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

RollingFile::RollingFile(std::string path) : path_(std::move(path)) {
    InitializeCriticalSection(&lock_);
}

RollingFile::~RollingFile() {
    DeleteCriticalSection(&lock_);
}

bool RollingFile::open() {
    EnterCriticalSection(&lock_);
    if (!file_) {
        // Readers must share writing to open it at all; a second writer is refused.
        file_.reset(fileHandleOrNull(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
        LARGE_INTEGER size = {};
        if (file_ && GetFileSizeEx(file_.get(), &size) && SetFilePointerEx(file_.get(), size, nullptr, FILE_BEGIN)) {
            size_ = static_cast<unsigned long long>(size.QuadPart);
        } else if (file_) {
            DWORD code = GetLastError();
            file_.reset();
            SetLastError(code);
        }
    }
    bool opened = static_cast<bool>(file_);
    LeaveCriticalSection(&lock_);
    return opened;
}

bool RollingFile::write(const std::string& bytes) {
    EnterCriticalSection(&lock_);
    bool written = false;
    if (file_) {
        if (size_ > 0 && size_ + bytes.size() > logSizeLimit) {
            rollOver();
        }
        written = writeWhole(file_.get(), bytes.data(), bytes.size());
        // A failed write may have written part: the size is taken anew.
        LARGE_INTEGER size = {};
        if (!written && GetFileSizeEx(file_.get(), &size)) {
            size_ = static_cast<unsigned long long>(size.QuadPart);
        } else if (written) {
            size_ += bytes.size();
        }
    }
    LeaveCriticalSection(&lock_);
    return written;
}

std::string RollingFile::takeRollFailure() {
    EnterCriticalSection(&lock_);
    std::string failure = std::move(rollFailure_);
    rollFailure_.clear();
    LeaveCriticalSection(&lock_);
    return failure;
}

// The caller holds lock_. The size limit holds even when the content cannot be kept (a full disk):
// the file is emptied all the same, and the caller learns what was lost.
void RollingFile::rollOver() {
    std::size_t separator = path_.find_last_of('\\');
    std::string directory = path_.substr(0, separator + 1);
    std::string name = path_.substr(separator + 1);
    std::vector<unsigned> numbers = rolledFileNumbers(directory, name);
    unsigned keep = logFilesKept;
    // The oldest go first, making room: there are never more than keep. One that a reader holds
    // without sharing its deletion stays until a later roll-over finds it free.
    for (unsigned number : rolledFilesBeyond(numbers, keep > 0 ? keep - 1 : 0)) {
        DeleteFileA((directory + rolledFileName(name, number)).c_str());
    }
    if (keep > 0) {
        std::string rolledPath = directory + rolledFileName(name, nextRolledFileNumber(numbers));
        if (!copyInto(rolledPath)) {
            DWORD code = GetLastError();
            rollFailure_ = "The log file " + path_ + " was emptied at its size limit without a copy in " + rolledPath +
                           ": Windows error code " + std::to_string(code) + ".";
        }
    }
    LARGE_INTEGER start = {};
    if (SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(file_.get())) {
        size_ = 0;
    }
}

// False, with GetLastError telling why, when the copy is not whole; no part of it is left then.
bool RollingFile::copyInto(const std::string& rolledPath) {
    KernelHandle source(fileHandleOrNull(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
    if (!source) {
        return false;
    }
    KernelHandle target(fileHandleOrNull(CreateFileA(rolledPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!target) {
        return false;
    }
    std::vector<char> buffer(copyChunk);
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(source.get(), buffer.data(), copyChunk, &count, nullptr) ||
            (count > 0 && !writeWhole(target.get(), buffer.data(), count))) {
            break;
        }
        if (count == 0) {
            return true;
        }
    }
    DWORD code = GetLastError();
    target.reset();
    DeleteFileA(rolledPath.c_str());
    SetLastError(code);
    return false;
}
