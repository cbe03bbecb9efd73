// A music file played through SDL2_mixer's one music stream on the shared output. The mixer has
// a single music stream, so the file that played last owns it; any other reports "stopped".
#pragma once

#include "../mci/MusicStream.h"
#include "SdlAudioOutput.h"

#include <memory>

struct _Mix_Music;

namespace quillaro {

class SdlMusicStream : public MusicStream {
public:
    // The file decoded and ready, or nullptr when it does not decode (the output must be open).
    static std::unique_ptr<SdlMusicStream> load(std::shared_ptr<SdlAudioOutput> output,
                                                const std::string& path);
    ~SdlMusicStream() override;

    bool play(double fromSeconds) override;
    void pause() override;
    void resume() override;
    void stop() override;
    MusicState state() const override;
    double positionSeconds() const override;
    double lengthSeconds() const override;

private:
    SdlMusicStream(std::shared_ptr<SdlAudioOutput> output, _Mix_Music* music);
    bool ownsStream() const;

    std::shared_ptr<SdlAudioOutput> output_;
    _Mix_Music* music_;
    double stoppedAt_ = 0.0;
};

} // namespace quillaro
