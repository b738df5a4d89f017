// jvm-bridge-record.txt beside the bridge: what the launcher asked of JNI_CreateJavaVM,
// exactly as it came, for tests to check. Written anew at each JNI_CreateJavaVM:
//   version=0x00010006
//   nOptions=<n>
//   ignoreUnrecognized=<0|1>
//   option=<optionString>      one line an option, in order
//   result=<what HotSpot answered>
// and, when something went wrong, error=<why> or trap=<why> lines.
#ifndef VORNA_JVM_BRIDGE_CREATION_RECORD_H
#define VORNA_JVM_BRIDGE_CREATION_RECORD_H

#include <jni.h>

#include <string>

void start_creation_record(const std::string& path, const JavaVMInitArgs& args);

// Adds key=value to the record started last; does nothing before the first one.
void append_to_creation_record(const std::string& key, const std::string& value);

#endif
