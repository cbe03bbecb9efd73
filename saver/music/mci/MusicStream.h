// One opened music file that can be played from a position, paused and stopped; the player under
// the MPEGVideo device. SdlMusicStream is the real one.
#pragma once

namespace quillaro {

enum class MusicState { Stopped, Playing, Paused };

class MusicStream {
public:
    virtual ~MusicStream() = default;
    // Starts playing from the position, returning at once. False when it cannot.
    virtual bool play(double fromSeconds) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Stops; the position stays where the stream was.
    virtual void stop() = 0;
    // Stopped also once the file has played to its end.
    virtual MusicState state() const = 0;
    virtual double positionSeconds() const = 0;
    virtual double lengthSeconds() const = 0;
};

} // namespace quillaro
