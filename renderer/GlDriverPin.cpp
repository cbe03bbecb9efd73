#include "GlDriverPin.h"

#include <dlfcn.h>
#include <link.h>
#include <string_view>

namespace quillaro {
namespace {

int pinIfDriver(dl_phdr_info* info, size_t, void*) {
    std::string_view path = info->dlpi_name ? info->dlpi_name : "";
    if (path.find("/dri/") != std::string_view::npos ||
        path.find("libLLVM") != std::string_view::npos) {
        // RTLD_NOLOAD: only adds the flag to the module already there.
        if (void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
            dlclose(handle);
    }
    return 0;
}

} // namespace

void pinGlDriverModules() {
    dl_iterate_phdr(pinIfDriver, nullptr);
}

} // namespace quillaro
