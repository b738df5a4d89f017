#include "method_signatures.h"

#include <mutex>
#include <unordered_map>

#include "trap.h"

namespace {

std::mutex kinds_mutex;
std::unordered_map<jmethodID, std::string> kinds_by_method;

} // namespace

std::string argument_kinds_of_signature(const char* signature)
{
    std::string kinds;
    const char* at = signature;
    if (*at == '(') {
        ++at;
    }
    while (*at != '\0' && *at != ')') {
        if (*at == '[' || *at == 'L') {
            while (*at == '[') {
                ++at;
            }
            if (*at == 'L') {
                while (*at != '\0' && *at != ';') {
                    ++at;
                }
            }
            kinds += 'L';
        } else {
            kinds += *at;
        }
        if (*at != '\0') {
            ++at;
        }
    }
    return kinds;
}

void remember_method_signature(jmethodID method, const char* signature)
{
    std::string kinds = argument_kinds_of_signature(signature);
    std::lock_guard<std::mutex> lock(kinds_mutex);
    kinds_by_method[method] = std::move(kinds);
}

std::string argument_kinds_of_method(jmethodID method)
{
    std::lock_guard<std::mutex> lock(kinds_mutex);
    const auto found = kinds_by_method.find(method);
    if (found == kinds_by_method.end()) {
        trap("variadic call through a method ID that GetMethodID or GetStaticMethodID did not "
             "return: its argument types are unknown");
    }
    return found->second;
}
