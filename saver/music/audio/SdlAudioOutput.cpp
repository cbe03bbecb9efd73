#include "SdlAudioOutput.h"

#include "SdlLibrary.h"

#include <dlfcn.h>

namespace quillaro {
namespace {

// A short mixer buffer keeps what is heard close to what the CD player reports as its position.
constexpr int MixerBufferFrames = 1024;
constexpr int DecoderFlags = MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC | MIX_INIT_OPUS;
constexpr const char* AlsaLibrary = "libasound.so.2";

std::mutex sharedMutex;
std::weak_ptr<SdlAudioOutput> shared;

extern "C" void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void SdlAudioOutput::quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        // SDL loads ALSA when nothing else is there; without a sound card ALSA prints a page of
        // errors from inside the library. Its error hook is process-wide, and the library stays
        // loaded for SDL, so our handle is deliberately kept.
        if (void* alsa = dlopen(AlsaLibrary, RTLD_NOW | RTLD_LOCAL)) {
            using SetHandler =
                int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
            if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
                set(ignoreAlsaError);
        }
        // SDL's disk and dummy drivers announce themselves at critical level.
        if (const SdlLibrary* sdl = SdlLibrary::get())
            sdl->LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_NUM_LOG_PRIORITIES);
    });
}

std::shared_ptr<SdlAudioOutput> SdlAudioOutput::acquire() {
    std::lock_guard lock(sharedMutex);
    if (auto existing = shared.lock())
        return existing;
    auto output = std::make_shared<SdlAudioOutput>(Passkey{});
    shared = output;
    return output;
}

int SdlAudioOutput::outputDeviceCount() {
    quietLibraries();
    const SdlLibrary* sdl = SdlLibrary::get();
    if (!sdl || sdl->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    int count = sdl->GetNumAudioDevices(0);
    sdl->QuitSubSystem(SDL_INIT_AUDIO);
    // A driver that cannot list its devices (-1) still has its default one to play on.
    return count < 0 ? 1 : count;
}

SdlAudioOutput::SdlAudioOutput(Passkey) {
    quietLibraries();
    const SdlLibrary* sdl = SdlLibrary::get();
    if (!sdl || sdl->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    sdlStarted_ = true;
    sdl->MixInit(DecoderFlags);
    // No format changes allowed: SDL converts for the hardware, and the CD's samples can be
    // added to the mixer's buffers as they are.
    if (sdl->OpenAudioDevice(SampleRate, AUDIO_S16SYS, Channels, MixerBufferFrames, nullptr, 0) !=
        0)
        return;
    open_ = true;
    sdl->SetPostMix(&SdlAudioOutput::postMix, this);
}

SdlAudioOutput::~SdlAudioOutput() {
    // Either is set only once the libraries were loaded.
    const SdlLibrary* sdl = SdlLibrary::get();
    if (open_) {
        sdl->SetPostMix(nullptr, nullptr);
        sdl->CloseAudio();
    }
    if (sdlStarted_) {
        sdl->MixQuit();
        sdl->QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlAudioOutput::setPcmSource(PcmSource* source) {
    std::lock_guard lock(sourceMutex_);
    source_ = source;
}

void SdlAudioOutput::postMix(void* self, unsigned char* stream, int bytes) {
    auto* output = static_cast<SdlAudioOutput*>(self);
    std::lock_guard lock(output->sourceMutex_);
    if (output->source_)
        output->source_->mixInto(reinterpret_cast<std::int16_t*>(stream),
                                 static_cast<std::size_t>(bytes) /
                                     (sizeof(std::int16_t) * Channels));
}

} // namespace quillaro
