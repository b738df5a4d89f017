#pragma once

#include <jni.h>

// Attaches the calling thread to the VM for the attachment's lifetime. Before the thread leaves
// the VM, an exception it still has pending is cleared, as the JNI rules ask of native threads.
// The VM's shutdown waits for every thread attached as a non-daemon thread; a daemon thread it
// does not wait for.
class JvmAttachment {
public:
    enum Kind { nonDaemon, daemon };

    JvmAttachment(JavaVM* vm, Kind kind);
    ~JvmAttachment();
    JvmAttachment(const JvmAttachment&) = delete;
    JvmAttachment& operator=(const JvmAttachment&) = delete;

    bool attached() const { return env_ != nullptr; }
    JNIEnv* env() const { return env_; }

private:
    JavaVM* vm_;
    JNIEnv* env_ = nullptr;
};
