// Only in the variant of jvm.dll that imports runtime-dependency.dll: an export that uses the
// import, so that it stays in the import table and the loader has to find the DLL.
extern "C" __attribute__((ms_abi)) int runtime_dependency_ready();

extern "C" __attribute__((ms_abi)) int bridge_runtime_dependency_ready()
{
    return runtime_dependency_ready();
}
