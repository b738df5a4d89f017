// A library that loads like a VM library but lacks its entry point.
#include <windows.h>

extern "C" __declspec(dllexport) int JNI_SomethingElse() {
    return 0;
}
