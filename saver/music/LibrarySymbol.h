// Functions of a library the music module opens with dlopen when first needed (SDL, libcdio),
// looked up by name into typed pointers.
#pragma once

#include <dlfcn.h>

namespace quillaro {

// Resolves name from the library behind handle, or those it depends on, into function; false
// when missing.
template <typename Function>
bool resolveSymbol(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

} // namespace quillaro
