// libcdio with its CD-audio and paranoia parts, loaded when the CD player is first opened instead
// of when the saver starts: only the audio-CD setting ever reads a disc, so every other run need
// not load them. The drive and the sector readers call libcdio through the functions resolved
// here.
#pragma once

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/memory.h>
#include <cdio/mmc.h>
#include <cdio/mmc_ll_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

namespace quillaro {

struct CdioLibrary {
    // The libraries, loaded on the first call; nullptr when they cannot be loaded, which means
    // no CD drive (said once on standard error when QUILLARO_VERBOSE=1). They stay loaded for
    // the rest of the program.
    static const CdioLibrary* get();

    decltype(&::cdio_log_set_handler) LogSetHandler = nullptr;
    decltype(&::cdio_get_default_device) GetDefaultDevice = nullptr;
    decltype(&::cdio_free) Free = nullptr;
    decltype(&::cdio_open) Open = nullptr;
    decltype(&::cdio_destroy) Destroy = nullptr;
    decltype(&::cdio_get_driver_id) GetDriverId = nullptr;
    decltype(&::cdio_get_first_track_num) GetFirstTrackNum = nullptr;
    decltype(&::cdio_get_num_tracks) GetNumTracks = nullptr;
    decltype(&::cdio_get_track_lsn) GetTrackLsn = nullptr;
    decltype(&::cdio_get_track_format) GetTrackFormat = nullptr;
    decltype(&::cdio_get_last_session) GetLastSession = nullptr;
    decltype(&::cdio_read_audio_sectors) ReadAudioSectors = nullptr;
    decltype(&::mmc_test_unit_ready) TestUnitReady = nullptr;
    decltype(&::mmc_get_tray_status) GetTrayStatus = nullptr;
    decltype(&::cdio_cddap_identify_cdio) CddaIdentify = nullptr;
    decltype(&::cdio_cddap_open) CddaOpen = nullptr;
    decltype(&::cdio_cddap_close_no_free_cdio) CddaClose = nullptr;
    decltype(&::cdio_paranoia_init) ParanoiaInit = nullptr;
    decltype(&::cdio_paranoia_free) ParanoiaFree = nullptr;
    decltype(&::cdio_paranoia_modeset) ParanoiaModeset = nullptr;
    decltype(&::cdio_paranoia_seek) ParanoiaSeek = nullptr;
    decltype(&::cdio_paranoia_read_limited) ParanoiaRead = nullptr;
};

} // namespace quillaro
