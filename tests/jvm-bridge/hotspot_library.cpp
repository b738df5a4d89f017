#include "hotspot_library.h"

#include <dlfcn.h>

#include <mutex>

namespace {

std::mutex load_mutex;
HotSpotLibrary library;
bool loaded = false;

} // namespace

const HotSpotLibrary* load_hotspot(const std::string& path, std::string& error)
{
    std::lock_guard<std::mutex> lock(load_mutex);
    if (loaded) {
        return &library;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = dlerror();
        return nullptr;
    }
    library.create_java_vm =
        reinterpret_cast<decltype(library.create_java_vm)>(dlsym(handle, "JNI_CreateJavaVM"));
    library.get_default_java_vm_init_args =
        reinterpret_cast<decltype(library.get_default_java_vm_init_args)>(
            dlsym(handle, "JNI_GetDefaultJavaVMInitArgs"));
    if (library.create_java_vm == nullptr || library.get_default_java_vm_init_args == nullptr) {
        error = path + " lacks the JNI invocation functions";
        dlclose(handle);
        return nullptr;
    }
    loaded = true;
    return &library;
}
