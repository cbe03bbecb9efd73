#include "CdioLibrary.h"

#include "music/LibrarySymbol.h"
#include "platform/Notices.h"

#include <dlfcn.h>
#include <optional>
#include <string>

namespace quillaro {
namespace {

// The paranoia library brings libcdio and its CD-audio part in as its own dependencies; the name
// is the Debian package's soname.
constexpr const char* ParanoiaLibrary = "libcdio_paranoia.so.2";

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
    const bool all = resolveSymbol(handle, "cdio_log_set_handler", c.LogSetHandler) &&
                     resolveSymbol(handle, "cdio_get_default_device", c.GetDefaultDevice) &&
                     resolveSymbol(handle, "cdio_free", c.Free) &&
                     resolveSymbol(handle, "cdio_open", c.Open) &&
                     resolveSymbol(handle, "cdio_destroy", c.Destroy) &&
                     resolveSymbol(handle, "cdio_get_driver_id", c.GetDriverId) &&
                     resolveSymbol(handle, "cdio_get_first_track_num", c.GetFirstTrackNum) &&
                     resolveSymbol(handle, "cdio_get_num_tracks", c.GetNumTracks) &&
                     resolveSymbol(handle, "cdio_get_track_lsn", c.GetTrackLsn) &&
                     resolveSymbol(handle, "cdio_get_track_format", c.GetTrackFormat) &&
                     resolveSymbol(handle, "cdio_get_last_session", c.GetLastSession) &&
                     resolveSymbol(handle, "cdio_read_audio_sectors", c.ReadAudioSectors) &&
                     resolveSymbol(handle, "mmc_test_unit_ready", c.TestUnitReady) &&
                     resolveSymbol(handle, "mmc_get_tray_status", c.GetTrayStatus) &&
                     resolveSymbol(handle, "cdio_cddap_identify_cdio", c.CddaIdentify) &&
                     resolveSymbol(handle, "cdio_cddap_open", c.CddaOpen) &&
                     resolveSymbol(handle, "cdio_cddap_close_no_free_cdio", c.CddaClose) &&
                     resolveSymbol(handle, "cdio_paranoia_init", c.ParanoiaInit) &&
                     resolveSymbol(handle, "cdio_paranoia_free", c.ParanoiaFree) &&
                     resolveSymbol(handle, "cdio_paranoia_modeset", c.ParanoiaModeset) &&
                     resolveSymbol(handle, "cdio_paranoia_seek", c.ParanoiaSeek) &&
                     resolveSymbol(handle, "cdio_paranoia_read_limited", c.ParanoiaRead);
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
