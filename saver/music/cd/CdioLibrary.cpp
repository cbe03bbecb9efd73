#include "CdioLibrary.h"

#include "platform/Notices.h"

#include <dlfcn.h>
#include <optional>
#include <string>

namespace quillaro {
namespace {

// The paranoia library brings libcdio and its CD-audio part in as its own dependencies; the name
// is the Debian package's soname.
constexpr const char* ParanoiaLibrary = "libcdio_paranoia.so.2";

// Resolves name from the library or those it depends on into function; false when missing.
template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

extern "C" void ignoreCdioMessage(cdio_log_level_t, const char*) {}

std::optional<CdioLibrary> load() {
    // Kept open for the rest of the program: the CD player's worker may read until the end.
    void* handle = dlopen(ParanoiaLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        reportFallback(std::string("libcdio could not be loaded (") + (why ? why : "") +
                       "), so there is no CD drive to play");
        return std::nullopt;
    }
    CdioLibrary c;
    const bool all = resolve(handle, "cdio_log_set_handler", c.LogSetHandler) &&
                     resolve(handle, "cdio_get_default_device", c.GetDefaultDevice) &&
                     resolve(handle, "cdio_free", c.Free) && resolve(handle, "cdio_open", c.Open) &&
                     resolve(handle, "cdio_destroy", c.Destroy) &&
                     resolve(handle, "cdio_get_driver_id", c.GetDriverId) &&
                     resolve(handle, "cdio_get_first_track_num", c.GetFirstTrackNum) &&
                     resolve(handle, "cdio_get_num_tracks", c.GetNumTracks) &&
                     resolve(handle, "cdio_get_track_lsn", c.GetTrackLsn) &&
                     resolve(handle, "cdio_get_track_format", c.GetTrackFormat) &&
                     resolve(handle, "cdio_get_last_session", c.GetLastSession) &&
                     resolve(handle, "cdio_read_audio_sectors", c.ReadAudioSectors) &&
                     resolve(handle, "mmc_test_unit_ready", c.TestUnitReady) &&
                     resolve(handle, "mmc_get_tray_status", c.GetTrayStatus) &&
                     resolve(handle, "cdio_cddap_identify_cdio", c.CddaIdentify) &&
                     resolve(handle, "cdio_cddap_open", c.CddaOpen) &&
                     resolve(handle, "cdio_cddap_close_no_free_cdio", c.CddaClose) &&
                     resolve(handle, "cdio_paranoia_init", c.ParanoiaInit) &&
                     resolve(handle, "cdio_paranoia_free", c.ParanoiaFree) &&
                     resolve(handle, "cdio_paranoia_modeset", c.ParanoiaModeset) &&
                     resolve(handle, "cdio_paranoia_seek", c.ParanoiaSeek) &&
                     resolve(handle, "cdio_paranoia_read_limited", c.ParanoiaRead);
    if (!all) {
        reportFallback(std::string(ParanoiaLibrary) +
                       " lacks functions the CD player needs, so there is no CD drive to play");
        return std::nullopt;
    }
    // A missing drive or image is an ordinary outcome here, not worth a line on stderr.
    c.LogSetHandler(ignoreCdioMessage);
    return c;
}

} // namespace

const CdioLibrary* CdioLibrary::get() {
    static const std::optional<CdioLibrary> loaded = load();
    return loaded ? &*loaded : nullptr;
}

} // namespace quillaro
