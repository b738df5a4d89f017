// The real libjvm.so and the invocation functions it exports.
#ifndef VORNA_JVM_BRIDGE_HOTSPOT_LIBRARY_H
#define VORNA_JVM_BRIDGE_HOTSPOT_LIBRARY_H

#include <jni.h>

#include <string>

struct HotSpotLibrary {
    jint (*create_java_vm)(JavaVM**, void**, void*);
    jint (*get_default_java_vm_init_args)(void*);
};

// Loads libjvm.so at `path` the first time; later calls get that library whatever they name.
// Null, with `error` set, when it cannot be loaded. Call it on a companion thread: loading runs
// HotSpot's initialisers.
const HotSpotLibrary* load_hotspot(const std::string& path, std::string& error);

#endif
