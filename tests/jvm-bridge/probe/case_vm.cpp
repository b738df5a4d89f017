#include "case_vm.h"

#include <cstdio>

#include "launcher_hooks.h"

void print_line(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string CaseVM::class_path() const
{
    return "-Djava.class.path=" + directory + "\\libs\\bridge-probe.jar";
}

bool CaseVM::create(const std::vector<std::string>& texts)
{
    std::vector<JavaVMOption> options = java_vm_options(launcher_hook_options(), texts);
    JavaVMInitArgs args{JNI_VERSION_1_6, static_cast<jint>(options.size()), options.data(),
                        JNI_FALSE};
    const jint result = library.create_java_vm(&vm, reinterpret_cast<void**>(&env), &args);
    print_line("JNI_CreateJavaVM: " + std::to_string(result));
    return result == JNI_OK;
}
