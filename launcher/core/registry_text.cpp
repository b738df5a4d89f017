#include "core/registry_text.h"

#include <vector>

LSTATUS readRegistryText(const char* subkey, const char* valueName, DWORD capacity, std::string& text) {
    std::vector<char> buffer(capacity, '\0');
    DWORD size = capacity;
    LSTATUS status =
        RegGetValueA(HKEY_LOCAL_MACHINE, subkey, valueName, RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    if (status == ERROR_SUCCESS) {
        text.assign(buffer.data());
    }
    return status;
}
