#include "jvmhost/jvm_attachment.h"

JvmAttachment::JvmAttachment(JavaVM* vm, Kind kind) : vm_(vm) {
    JNIEnv* env = nullptr;
    jint result = kind == daemon ? vm_->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr)
                                 : vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
    if (result == JNI_OK) {
        env_ = env;
    }
}

JvmAttachment::~JvmAttachment() {
    if (env_ == nullptr) {
        return;
    }
    if (env_->ExceptionCheck()) {
        env_->ExceptionClear();
    }
    vm_->DetachCurrentThread();
}
