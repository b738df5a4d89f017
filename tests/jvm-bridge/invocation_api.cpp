#include "invocation_api.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bridge_config.h"
#include "bridge_location.h"
#include "creation_record.h"
#include "handle_output.h"
#include "hotspot_library.h"
#include "option_translation.h"
#include "path_translation.h"
#include "thread_attachment.h"
#include "thread_record.h"
#include "trap.h"
#include "vm_hooks.h"
#include "vm_output.h"
#include "windows_jni_objects.h"

namespace {

WindowsVM windows_vm;
std::atomic<bool> vm_running{false};

const char* const record_file = "jvm-bridge-record.txt";
const char* const config_file = "jvm-bridge.cfg";
const char* const threads_file = "jvm-bridge-threads.txt";

BridgeConfig bridge_config(std::string& error)
{
    return read_bridge_config(bridge_directory() + "/" + config_file, error);
}

struct HotSpotOption {
    std::string text;
    void* extra_info;
};

bool has_option(const std::vector<HotSpotOption>& options, const std::string& text)
{
    return std::any_of(options.begin(), options.end(),
                       [&](const HotSpotOption& option) { return option.text == text; });
}

// What HotSpot gets: the launcher's options with Linux paths and the bridge's hooks in place
// of the launcher's, the configured ones, and -Xrs, unless given already, so that SIGINT and
// SIGTERM stay Wine's.
std::vector<HotSpotOption> hotspot_options(const JavaVMInitArgs& args, const BridgeConfig& config)
{
    std::vector<HotSpotOption> options;
    for (jint i = 0; i < args.nOptions; ++i) {
        const JavaVMOption& option = args.options[i];
        const std::string text = option.optionString != nullptr ? option.optionString : "";
        if (is_vm_hook_option(text)) {
            options.push_back({text, hotspot_hook_for(option)});
        } else {
            options.push_back({translate_option(text), nullptr});
        }
    }
    for (const std::string& text : config.options) {
        options.push_back({text, nullptr});
    }
    if (!has_option(options, "-Xrs")) {
        options.push_back({"-Xrs", nullptr});
    }
    return options;
}

jint create_on_companion(WindowsEnv& env, const JavaVMInitArgs& args, const BridgeConfig& config,
                         JavaStreamFds& streams, std::string& error)
{
    const std::vector<HotSpotOption> given = hotspot_options(args, config);
    // HotSpot takes user.dir from the Unix working directory, which Wine's
    // SetCurrentDirectory leaves where the process started.
    const std::string working_directory = linux_working_directory();
    return env.companion.run([&]() -> jint {
        const HotSpotLibrary* hotspot = load_hotspot(config.libjvm, error);
        if (hotspot == nullptr) {
            return JNI_ERR;
        }
        if (!working_directory.empty() && chdir(working_directory.c_str()) != 0) {
            error = "cannot enter " + working_directory + ": " + std::strerror(errno);
            return JNI_ERR;
        }
        record_current_thread("create");
        std::vector<JavaVMOption> options;
        for (const HotSpotOption& option : given) {
            options.push_back({const_cast<char*>(option.text.c_str()), option.extra_info});
        }
        JavaVMInitArgs real_args{args.version, static_cast<jint>(options.size()), options.data(),
                                 args.ignoreUnrecognized};
        void* real_env = nullptr;
        const jint result = hotspot->create_java_vm(&windows_vm.real, &real_env, &real_args);
        env.real = static_cast<JNIEnv*>(real_env);
        if (result == JNI_OK) {
            give_java_streams(env.real, streams);
        }
        return result;
    });
}

jint create_java_vm(JavaVM** pvm, void** penv, void* args)
{
    if (args == nullptr) {
        trap("JNI_CreateJavaVM called without init args");
    }
    const JavaVMInitArgs& init_args = *static_cast<const JavaVMInitArgs*>(args);
    start_creation_record(bridge_directory() + "/" + record_file, init_args);
    start_thread_record(bridge_directory() + "/" + threads_file);
    std::string error;
    JavaStreamFds streams;
    BridgeConfig config;
    if (bind_vm_output(streams, error)) {
        config = bridge_config(error);
    }
    auto env = std::make_unique<WindowsEnv>();
    jint result = JNI_ERR;
    if (error.empty()) {
        result = create_on_companion(*env, init_args, config, streams, error);
    }
    close_java_streams(streams);
    if (!error.empty()) {
        std::fprintf(stderr, "jvm-bridge: %s\n", error.c_str());
        append_to_creation_record("error", error);
    }
    append_to_creation_record("result", std::to_string(result));
    deliver_relayed_output();
    if (result != JNI_OK) {
        return result;
    }
    vm_running = true;
    *pvm = reinterpret_cast<JavaVM*>(&windows_vm);
    *penv = env.get();
    adopt_for_current_thread(env.release());
    return JNI_OK;
}

jint get_default_java_vm_init_args(void* args)
{
    std::string error;
    const BridgeConfig config = bridge_config(error);
    jint result = JNI_ERR;
    if (error.empty()) {
        CompanionThread companion;
        result = companion.run([&]() -> jint {
            const HotSpotLibrary* hotspot = load_hotspot(config.libjvm, error);
            return hotspot != nullptr ? hotspot->get_default_java_vm_init_args(args) : JNI_ERR;
        });
    }
    if (!error.empty()) {
        std::fprintf(stderr, "jvm-bridge: %s\n", error.c_str());
    }
    return result;
}

} // namespace

JavaVM* created_windows_vm()
{
    return vm_running ? reinterpret_cast<JavaVM*>(&windows_vm) : nullptr;
}

void forget_created_vm()
{
    vm_running = false;
}

extern "C" MS_ABI jint bridge_JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args)
{
    return create_java_vm(pvm, penv, args);
}

extern "C" MS_ABI jint bridge_JNI_GetDefaultJavaVMInitArgs(void* args)
{
    return get_default_java_vm_init_args(args);
}

extern "C" MS_ABI jint bridge_JNI_GetCreatedJavaVMs(JavaVM** vms, jsize size, jsize* count)
{
    JavaVM* vm = created_windows_vm();
    if (vm != nullptr && size > 0) {
        vms[0] = vm;
    }
    *count = vm != nullptr ? 1 : 0;
    return JNI_OK;
}
