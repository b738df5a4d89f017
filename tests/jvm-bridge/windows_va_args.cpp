#include "windows_va_args.h"

#include <string>

#include "method_signatures.h"

std::vector<jvalue> decode_windows_va_args(jmethodID method, __builtin_ms_va_list args)
{
    // Each argument fills one 8-byte slot: the small integer types arrive promoted to int,
    // float promoted to double.
    const std::string kinds = argument_kinds_of_method(method);
    std::vector<jvalue> values(kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) {
        jvalue& value = values[i];
        switch (kinds[i]) {
        case 'Z': value.z = static_cast<jboolean>(__builtin_va_arg(args, int)); break;
        case 'B': value.b = static_cast<jbyte>(__builtin_va_arg(args, int)); break;
        case 'C': value.c = static_cast<jchar>(__builtin_va_arg(args, int)); break;
        case 'S': value.s = static_cast<jshort>(__builtin_va_arg(args, int)); break;
        case 'I': value.i = __builtin_va_arg(args, jint); break;
        case 'J': value.j = __builtin_va_arg(args, jlong); break;
        case 'F': value.f = static_cast<jfloat>(__builtin_va_arg(args, double)); break;
        case 'D': value.d = __builtin_va_arg(args, double); break;
        default: value.l = __builtin_va_arg(args, jobject); break;
        }
    }
    return values;
}
