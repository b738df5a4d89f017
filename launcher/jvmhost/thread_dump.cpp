#include "jvmhost/thread_dump.h"

#include <windows.h>

#include <jni.h>

#include <memory>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/formatted_text.h"
#include "diagnostics/log_writer.h"
#include "jvmhost/ansi_text.h"
#include "jvmhost/exception_text.h"
#include "jvmhost/jvm_attachment.h"

namespace {

// What the dump's thread gives the one that waits for it: the dump, or why there is none. The
// thread keeps its share when the waiter has given up.
struct DumpResult {
    bool taken = false;
    std::string text;
};

// The dump through the platform MBean server's DiagnosticCommand, the same command jcmd runs;
// it needs no tool beside the runtime and no other account. False, with why in text.
bool threadPrint(JNIEnv* env, std::string& text) {
    jclass factory = env->FindClass("java/lang/management/ManagementFactory");
    jmethodID getServer =
        factory != nullptr
            ? env->GetStaticMethodID(factory, "getPlatformMBeanServer", "()Ljavax/management/MBeanServer;")
            : nullptr;
    jobject server = getServer != nullptr ? env->CallStaticObjectMethod(factory, getServer) : nullptr;
    jclass nameClass = server != nullptr ? env->FindClass("javax/management/ObjectName") : nullptr;
    jmethodID newName = nameClass != nullptr ? env->GetMethodID(nameClass, "<init>", "(Ljava/lang/String;)V") : nullptr;
    jobject name = newName != nullptr
                       ? env->NewObject(nameClass, newName, env->NewStringUTF("com.sun.management:type=DiagnosticCommand"))
                       : nullptr;
    jclass serverClass = name != nullptr ? env->FindClass("javax/management/MBeanServer") : nullptr;
    jmethodID invoke = serverClass != nullptr
                           ? env->GetMethodID(serverClass, "invoke",
                                              "(Ljavax/management/ObjectName;Ljava/lang/String;[Ljava/lang/Object;"
                                              "[Ljava/lang/String;)Ljava/lang/Object;")
                           : nullptr;
    jclass stringClass = invoke != nullptr ? env->FindClass("java/lang/String") : nullptr;
    jclass objectClass = stringClass != nullptr ? env->FindClass("java/lang/Object") : nullptr;
    jobjectArray options = objectClass != nullptr ? env->NewObjectArray(1, stringClass, env->NewStringUTF("-l")) : nullptr;
    jobjectArray parameters = options != nullptr ? env->NewObjectArray(1, objectClass, options) : nullptr;
    jobjectArray signature =
        parameters != nullptr ? env->NewObjectArray(1, stringClass, env->NewStringUTF("[Ljava.lang.String;")) : nullptr;
    jobject dump = signature != nullptr
                       ? env->CallObjectMethod(server, invoke, name, env->NewStringUTF("threadPrint"), parameters, signature)
                       : nullptr;
    if (env->ExceptionCheck()) {
        text = takeExceptionText(env);
        return false;
    }
    if (dump == nullptr) {
        text = "the VM gave no dump";
        return false;
    }
    if (!ansiText(env, static_cast<jstring>(dump), text)) {
        env->ExceptionClear();
        text = "the dump's text could not be read";
        return false;
    }
    return true;
}

DWORD WINAPI dumpProc(LPVOID parameter) {
    std::unique_ptr<std::shared_ptr<DumpResult>> shared(static_cast<std::shared_ptr<DumpResult>*>(parameter));
    DumpResult& result = **shared;
    JvmAttachment attachment(jvm, JvmAttachment::daemon);
    if (!attachment.attached()) {
        result.text = "the thread could not attach to the Java VM";
        return 0;
    }
    result.taken = threadPrint(attachment.env(), result.text);
    return 0;
}

// The dump as the file keeps it: after its header, ended by a line end and an empty line.
std::string fileText(const std::string& header, const std::string& dump) {
    std::string text = header + "\n" + dump;
    if (!dump.empty() && dump.back() != '\n') {
        text += "\n";
    }
    return withCrLf(text + "\n");
}

std::string headerLine(const std::string& reason) {
    return logTimeNow() + "[VORNA] Thread dump (" + reason + ")";
}

}  // namespace

unsigned long writeThreadDump(const std::string& reason) {
    if (jvm == nullptr) {
        writeLog("Thread dump (%s) not written: there is no Java VM.", reason.c_str());
        return ERROR_GEN_FAILURE;
    }
    std::string header = headerLine(reason);
    ULONGLONG began = GetTickCount64();
    auto result = std::make_shared<DumpResult>();
    auto* share = new std::shared_ptr<DumpResult>(result);
    KernelHandle thread(CreateThread(nullptr, 0, dumpProc, share, 0, nullptr));
    if (!thread) {
        delete share;
        logWindowsError("CreateThread", GetLastError());
        return ERROR_GEN_FAILURE;
    }
    if (WaitForSingleObject(thread.get(), threadDumpTimeout) != WAIT_OBJECT_0) {
        writeLog("Thread dump (%s) not written: the Java VM gave none within %lu ms.", reason.c_str(),
                 threadDumpTimeout);
        return ERROR_TIMEOUT;
    }
    if (!result->taken) {
        writeLog("Thread dump (%s) not written: %s.", reason.c_str(), result->text.c_str());
        return ERROR_GEN_FAILURE;
    }
    if (!threadDumpFile->open() || !threadDumpFile->write(fileText(header, result->text))) {
        writeLog("Thread dump (%s) not written to %s: Windows error code %lu.", reason.c_str(),
                 threadDumpFile->path().c_str(), GetLastError());
        return ERROR_GEN_FAILURE;
    }
    logRollFailure(*threadDumpFile);
    writeLog("Thread dump (%s) written to %s in %llu ms.", reason.c_str(), threadDumpFile->path().c_str(),
             GetTickCount64() - began);
    return NO_ERROR;
}
