#include "jvmhost/jvm_attachment.h"

JvmAttachment::JvmAttachment(JavaVM* vm) : vm_(vm) {
    JNIEnv* env = nullptr;
    if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK) {
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
