#include "vm_output.h"

#include <windows.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "handle_output.h"
#include "trap.h"

// ucrtbase's, through the library's import table (vm_c_runtime.spec).
extern "C" __attribute__((ms_abi)) intptr_t _get_osfhandle(int fd);

namespace {

std::mutex relayed_mutex;
// The fds HotSpot writes to whose bytes a thread of the library hands on.
std::vector<int> relayed_fds;

void note_relayed(const HandleOutput& output, int fd)
{
    if (output.relayed) {
        std::lock_guard<std::mutex> lock(relayed_mutex);
        relayed_fds.push_back(fd);
    }
}

bool bind_crt_descriptor(int descriptor, std::string& error)
{
    const HandleOutput output =
        open_handle_output(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)), error);
    if (output.fd < 0) {
        return false;
    }
    const bool bound = dup2(output.fd, descriptor) == descriptor;
    if (bound) {
        note_relayed(output, descriptor);
    } else {
        error = "cannot make fd " + std::to_string(descriptor) + " lead to ucrtbase's: " +
                std::strerror(errno);
    }
    close(output.fd);
    return bound;
}

int open_standard_stream(DWORD which, std::string& error)
{
    const HandleOutput output = open_handle_output(GetStdHandle(which), error);
    note_relayed(output, output.fd);
    return output.fd;
}

// Sets the fd field of java.io.FileDescriptor.<name>: FileOutputStream reads it at each write.
bool point_stream(JNIEnv* env, jclass descriptor_class, jfieldID fd_field, const char* name,
                  int fd)
{
    const jfieldID stream = env->GetStaticFieldID(descriptor_class, name, "Ljava/io/FileDescriptor;");
    if (env->ExceptionCheck() || stream == nullptr) {
        env->ExceptionClear();
        return false;
    }
    const jobject descriptor = env->GetStaticObjectField(descriptor_class, stream);
    if (descriptor == nullptr) {
        return false;
    }
    env->SetIntField(descriptor, fd_field, fd);
    env->DeleteLocalRef(descriptor);
    return true;
}

} // namespace

bool bind_vm_output(JavaStreamFds& java, std::string& error)
{
    {
        std::lock_guard<std::mutex> lock(relayed_mutex);
        relayed_fds.clear();
    }
    java.out = open_standard_stream(STD_OUTPUT_HANDLE, error);
    java.err = open_standard_stream(STD_ERROR_HANDLE, error);
    return java.out >= 0 && java.err >= 0 && bind_crt_descriptor(1, error) &&
           bind_crt_descriptor(2, error);
}

void give_java_streams(JNIEnv* real, JavaStreamFds& java)
{
    const jclass descriptor_class = real->FindClass("java/io/FileDescriptor");
    const jfieldID fd_field = !real->ExceptionCheck() && descriptor_class != nullptr
                                  ? real->GetFieldID(descriptor_class, "fd", "I")
                                  : nullptr;
    const bool pointed = !real->ExceptionCheck() && fd_field != nullptr &&
                         point_stream(real, descriptor_class, fd_field, "out", java.out) &&
                         point_stream(real, descriptor_class, fd_field, "err", java.err);
    if (!pointed) {
        trap("cannot point java.io.FileDescriptor.out and .err at the standard handles");
    }
    real->DeleteLocalRef(descriptor_class);
    java = {};
}

void close_java_streams(JavaStreamFds& java)
{
    for (const int fd : {java.out, java.err}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    std::lock_guard<std::mutex> lock(relayed_mutex);
    for (const int fd : {java.out, java.err}) {
        relayed_fds.erase(std::remove(relayed_fds.begin(), relayed_fds.end(), fd), relayed_fds.end());
    }
    java = {};
}

void drop_later_vm_output()
{
    std::string error;
    const int null_output = open_null_output(error);
    if (null_output < 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(relayed_mutex);
    for (const int fd : relayed_fds) {
        dup2(null_output, fd);
    }
    close(null_output);
}
