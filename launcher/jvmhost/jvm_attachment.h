#pragma once

#include <jni.h>

// Attaches the calling thread to the VM for the attachment's lifetime. Before the thread leaves
// the VM, an exception it still has pending is cleared, as the JNI rules ask of native threads.
class JvmAttachment {
public:
    explicit JvmAttachment(JavaVM* vm);
    ~JvmAttachment();
    JvmAttachment(const JvmAttachment&) = delete;
    JvmAttachment& operator=(const JvmAttachment&) = delete;

    bool attached() const { return env_ != nullptr; }
    JNIEnv* env() const { return env_; }

private:
    JavaVM* vm_;
    JNIEnv* env_ = nullptr;
};
