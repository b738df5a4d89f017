#pragma once

// Looks key up in the properties file of the installation directory, which the first call loads.
// On success *value receives a new NUL-terminated copy that the caller releases with delete[].
bool getConfigOption(const char* key, char** value);
