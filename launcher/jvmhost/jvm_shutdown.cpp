#include "jvmhost/jvm_shutdown.h"

#include <jni.h>

#include "core/process_state.h"
#include "diagnostics/log_writer.h"

DWORD WINAPI destroyJvmProc(LPVOID) {
    if (jvm == nullptr) {
        return 1;
    }
    // The VM attaches this thread itself and leaves it detached when it is done.
    jint result = jvm->DestroyJavaVM();
    if (result != JNI_OK) {
        writeLog("FATAL ERROR: Failed to shut down Java VM (JNI result %d).", static_cast<int>(result));
        return 2;
    }
    return 0;
}
