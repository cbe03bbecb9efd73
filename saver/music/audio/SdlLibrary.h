// SDL2 and SDL2_mixer, loaded when the first sound is asked for instead of when the saver starts:
// a run without music never loads them, nor the fifty-odd libraries they bring along (decoders,
// sound servers, Wayland), whose loading took about 9 ms of every start before the renderer
// could be started. The sound output calls SDL through the functions resolved here.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

namespace quillaro {

struct SdlLibrary {
    // The libraries, loaded on the first call; nullptr when they cannot be loaded, which means
    // no sound output. They stay loaded for the rest of the program.
    static const SdlLibrary* get();

    decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&::SDL_GetNumAudioDevices) GetNumAudioDevices = nullptr;
    decltype(&::SDL_LogSetPriority) LogSetPriority = nullptr;
    decltype(&::SDL_RWFromFile) RWFromFile = nullptr;
    decltype(&::Mix_Init) MixInit = nullptr;
    decltype(&::Mix_Quit) MixQuit = nullptr;
    decltype(&::Mix_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&::Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&::Mix_SetPostMix) SetPostMix = nullptr;
    decltype(&::Mix_LoadMUS) LoadMUS = nullptr;
    decltype(&::Mix_FreeMusic) FreeMusic = nullptr;
    decltype(&::Mix_FadeInMusicPos) FadeInMusicPos = nullptr;
    decltype(&::Mix_PauseMusic) PauseMusic = nullptr;
    decltype(&::Mix_ResumeMusic) ResumeMusic = nullptr;
    decltype(&::Mix_HaltMusic) HaltMusic = nullptr;
    decltype(&::Mix_PausedMusic) PausedMusic = nullptr;
    decltype(&::Mix_PlayingMusic) PlayingMusic = nullptr;
    decltype(&::Mix_GetMusicPosition) GetMusicPosition = nullptr;
    decltype(&::Mix_MusicDuration) MusicDuration = nullptr;
    decltype(&::Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&::Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
    decltype(&::Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
};

} // namespace quillaro
