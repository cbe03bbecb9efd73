#include "SdlLibrary.h"

#include "music/LibrarySymbol.h"

#include <dlfcn.h>
#include <optional>

namespace quillaro {
namespace {

// SDL2_mixer brings SDL2 in as its own dependency; both names are the Debian packages' sonames.
constexpr const char* MixerLibrary = "libSDL2_mixer-2.0.so.0";

std::optional<SdlLibrary> load() {
    // Kept open for the rest of the program: SDL's threads run its code until the end.
    void* handle = dlopen(MixerLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    SdlLibrary s;
    const bool all = resolveSymbol(handle, "SDL_InitSubSystem", s.InitSubSystem) &&
                     resolveSymbol(handle, "SDL_QuitSubSystem", s.QuitSubSystem) &&
                     resolveSymbol(handle, "SDL_GetNumAudioDevices", s.GetNumAudioDevices) &&
                     resolveSymbol(handle, "SDL_LogSetPriority", s.LogSetPriority) &&
                     resolveSymbol(handle, "SDL_RWFromFile", s.RWFromFile) &&
                     resolveSymbol(handle, "Mix_Init", s.MixInit) &&
                     resolveSymbol(handle, "Mix_Quit", s.MixQuit) &&
                     resolveSymbol(handle, "Mix_OpenAudioDevice", s.OpenAudioDevice) &&
                     resolveSymbol(handle, "Mix_CloseAudio", s.CloseAudio) &&
                     resolveSymbol(handle, "Mix_SetPostMix", s.SetPostMix) &&
                     resolveSymbol(handle, "Mix_LoadMUS", s.LoadMUS) &&
                     resolveSymbol(handle, "Mix_FreeMusic", s.FreeMusic) &&
                     resolveSymbol(handle, "Mix_FadeInMusicPos", s.FadeInMusicPos) &&
                     resolveSymbol(handle, "Mix_PauseMusic", s.PauseMusic) &&
                     resolveSymbol(handle, "Mix_ResumeMusic", s.ResumeMusic) &&
                     resolveSymbol(handle, "Mix_HaltMusic", s.HaltMusic) &&
                     resolveSymbol(handle, "Mix_PausedMusic", s.PausedMusic) &&
                     resolveSymbol(handle, "Mix_PlayingMusic", s.PlayingMusic) &&
                     resolveSymbol(handle, "Mix_GetMusicPosition", s.GetMusicPosition) &&
                     resolveSymbol(handle, "Mix_MusicDuration", s.MusicDuration) &&
                     resolveSymbol(handle, "Mix_LoadWAV_RW", s.LoadWAV_RW) &&
                     resolveSymbol(handle, "Mix_PlayChannelTimed", s.PlayChannelTimed) &&
                     resolveSymbol(handle, "Mix_HaltChannel", s.HaltChannel) &&
                     resolveSymbol(handle, "Mix_FreeChunk", s.FreeChunk);
    if (!all)
        return std::nullopt;
    return s;
}

} // namespace

const SdlLibrary* SdlLibrary::get() {
    static const std::optional<SdlLibrary> loaded = load();
    return loaded ? &*loaded : nullptr;
}

} // namespace quillaro
