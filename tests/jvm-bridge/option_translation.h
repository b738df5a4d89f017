// Turns the Windows paths in a VM option into Linux ones.
#ifndef VORNA_JVM_BRIDGE_OPTION_TRANSLATION_H
#define VORNA_JVM_BRIDGE_OPTION_TRANSLATION_H

#include <string>

// -Djava.class.path= and -javaagent: are always paths (relative ones against the Windows
// working directory); in any other option, a value after the first '=' (or else the first ':')
// that is an absolute Windows path or a ';' list of paths is translated. Lists get ':'. The
// option comes in the ANSI code page; what is not a path is passed on in UTF-8.
std::string translate_option(const std::string& option);

#endif
