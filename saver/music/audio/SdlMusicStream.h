// A music file played through SDL2_mixer's one music stream on the shared output. The mixer has
// a single music stream, so the file that played last owns it; any other reports "stopped".
#pragma once

#include "SdlAudioOutput.h"
#include "common/Passkey.h"
#include "common/Result.h"
#include "music/mci/MusicStream.h"

#include <memory>

struct _Mix_Music;

namespace quillaro {

class SdlMusicStream : public MusicStream {
    struct MusicFreer {
        void operator()(_Mix_Music* music) const;
    };

public:
    // The file decoded and ready to play on the output; or Hardware when the output is not
    // open, InvalidFile when the file does not decode.
    static Result<std::unique_ptr<SdlMusicStream>, std::int32_t>
    load(std::shared_ptr<SdlAudioOutput> output, const std::string& path);
    SdlMusicStream(Passkey<SdlMusicStream>, std::shared_ptr<SdlAudioOutput> output,
                   std::unique_ptr<_Mix_Music, MusicFreer> music);
    ~SdlMusicStream() override;

    bool play(double fromSeconds) override;
    void pause() override;
    void resume() override;
    void stop() override;
    MusicState state() const override;
    double positionSeconds() const override;
    double lengthSeconds() const override;

private:
    bool ownsStream() const;

    std::shared_ptr<SdlAudioOutput> output_;
    std::unique_ptr<_Mix_Music, MusicFreer> music_; // freed while the output is still open
    double stoppedAt_ = 0.0;
};

} // namespace quillaro
