#include "SdlLibrary.h"

#include <dlfcn.h>
#include <optional>

namespace quillaro {
namespace {

// SDL2_mixer brings SDL2 in as its own dependency; both names are the Debian packages' sonames.
constexpr const char* MixerLibrary = "libSDL2_mixer-2.0.so.0";

// Resolves name from the mixer or the libraries it depends on into function; false when missing.
template <typename Function> bool resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

std::optional<SdlLibrary> load() {
    // Kept open for the rest of the program: SDL's threads run its code until the end.
    void* handle = dlopen(MixerLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    SdlLibrary s;
    const bool all = resolve(handle, "SDL_InitSubSystem", s.InitSubSystem) &&
                     resolve(handle, "SDL_QuitSubSystem", s.QuitSubSystem) &&
                     resolve(handle, "SDL_GetNumAudioDevices", s.GetNumAudioDevices) &&
                     resolve(handle, "SDL_LogSetPriority", s.LogSetPriority) &&
                     resolve(handle, "SDL_RWFromFile", s.RWFromFile) &&
                     resolve(handle, "Mix_Init", s.MixInit) &&
                     resolve(handle, "Mix_Quit", s.MixQuit) &&
                     resolve(handle, "Mix_OpenAudioDevice", s.OpenAudioDevice) &&
                     resolve(handle, "Mix_CloseAudio", s.CloseAudio) &&
                     resolve(handle, "Mix_SetPostMix", s.SetPostMix) &&
                     resolve(handle, "Mix_LoadMUS", s.LoadMUS) &&
                     resolve(handle, "Mix_FreeMusic", s.FreeMusic) &&
                     resolve(handle, "Mix_FadeInMusicPos", s.FadeInMusicPos) &&
                     resolve(handle, "Mix_PauseMusic", s.PauseMusic) &&
                     resolve(handle, "Mix_ResumeMusic", s.ResumeMusic) &&
                     resolve(handle, "Mix_HaltMusic", s.HaltMusic) &&
                     resolve(handle, "Mix_PausedMusic", s.PausedMusic) &&
                     resolve(handle, "Mix_PlayingMusic", s.PlayingMusic) &&
                     resolve(handle, "Mix_GetMusicPosition", s.GetMusicPosition) &&
                     resolve(handle, "Mix_MusicDuration", s.MusicDuration) &&
                     resolve(handle, "Mix_LoadWAV_RW", s.LoadWAV_RW) &&
                     resolve(handle, "Mix_PlayChannelTimed", s.PlayChannelTimed) &&
                     resolve(handle, "Mix_HaltChannel", s.HaltChannel) &&
                     resolve(handle, "Mix_FreeChunk", s.FreeChunk);
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
