// The one sound output of the saver, shared by everything that sounds: SDL2_mixer owns the SDL
// audio device (44.1 kHz, 16-bit, stereo, the CD's own format, so CD sound needs no
// conversion), plays the MP3 music stream and the looped WAV chunk, and a post-mix hook adds the
// samples of one PcmSource (the CD player) to every buffer after the mixer has filled it.
//
// The output opens when its first user acquires it and closes when the last one lets go. Opening
// keeps the terminal clean: ALSA's own error printing is silenced, and so are SDL's audio log
// lines, since a machine without sound is a normal place for a screen saver.
#pragma once

#include "PcmSource.h"

#include <memory>
#include <mutex>

namespace quillaro {

class SdlAudioOutput {
    // Only acquire() makes one: it holds the key to the constructor.
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 2;

    // The shared output, opened if nobody holds it yet. Never null; check isOpen().
    static std::shared_ptr<SdlAudioOutput> acquire();
    // The number of sound outputs SDL can see; 0 when its audio cannot start at all.
    static int outputDeviceCount();
    explicit SdlAudioOutput(Passkey);
    ~SdlAudioOutput();
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool isOpen() const { return open_; }
    // Adds the source's sound to the output from now on; nullptr removes it. When this returns,
    // the audio thread no longer uses the previous source.
    void setPcmSource(PcmSource* source);

private:
    // Silences the libraries' own printing on standard error; done once, before first use.
    static void quietLibraries();
    static void postMix(void* self, unsigned char* stream, int bytes);

    bool sdlStarted_ = false;
    bool open_ = false;
    std::mutex sourceMutex_;
    PcmSource* source_ = nullptr;
};

} // namespace quillaro
