// Stands for a C runtime DLL that a Java installation keeps in its bin folder: the variant of the
// test VM library that imports it loads only where the launcher lets the loader find it.
extern "C" __declspec(dllexport) int runtime_dependency_ready() {
    return 1;
}
