#include "MpegVideoDevice.h"

#include "MciErrors.h"

#include <cmath>
#include <optional>

namespace quillaro {
namespace {

std::string milliseconds(double seconds) {
    return std::to_string(static_cast<long long>(std::llround(seconds * 1000.0)));
}

// Whole milliseconds, as a position word; nothing when the text is not one.
std::optional<double> secondsOf(const std::string& text) {
    constexpr std::size_t MaxDigits = 10;
    auto ms = MciCommand::digitsValue(text, MaxDigits);
    if (!ms)
        return std::nullopt;
    return static_cast<double>(*ms) / 1000.0;
}

} // namespace

MpegVideoDevice::MpegVideoDevice(std::unique_ptr<MusicStream> stream)
    : stream_(std::move(stream)) {}

MpegVideoDevice::~MpegVideoDevice() {
    stream_->stop();
}

MciReply MpegVideoDevice::carryOut(MciCommand& command) {
    const std::string& verb = command.verb();
    if (verb == "play")
        return play(command);
    if (verb == "set") {
        if (!command.accept({"time", "format"}))
            return MciReply::fail(command.atEnd() ? mci_error::MissingParameter
                                                  : mci_error::UnsupportedFunction);
        if (!command.accept({"milliseconds"}) && !command.accept({"ms"}))
            return MciReply::fail(mci_error::BadTimeFormat);
        return command.atEnd() ? MciReply::ok() : MciReply::fail(mci_error::UnrecognizedKeyword);
    }
    if (verb != "stop" && verb != "pause" && verb != "resume")
        return MciReply::fail(mci_error::UnsupportedFunction);
    if (!command.atEnd())
        return MciReply::fail(mci_error::UnrecognizedKeyword);
    if (verb == "stop")
        stream_->stop();
    else if (verb == "pause" && stream_->state() == MusicState::Playing)
        stream_->pause();
    else if (verb == "resume" && stream_->state() == MusicState::Paused)
        stream_->resume();
    return MciReply::ok();
}

MciReply MpegVideoDevice::play(MciCommand& command) {
    std::optional<double> from;
    if (command.accept({"from"})) {
        auto word = command.next();
        if (!word)
            return MciReply::fail(mci_error::MissingParameter);
        from = secondsOf(*word);
        if (!from)
            return MciReply::fail(mci_error::BadInteger);
        if (lengthKnown() && *from > stream_->lengthSeconds())
            return MciReply::fail(mci_error::OutOfRange);
    }
    if (command.accept({"to"}))
        return MciReply::fail(mci_error::UnsupportedFunction);
    if (!command.atEnd())
        return MciReply::fail(mci_error::UnrecognizedKeyword);

    if (!from) {
        switch (stream_->state()) {
        case MusicState::Playing:
            return MciReply::ok();
        case MusicState::Paused:
            stream_->resume();
            return MciReply::ok();
        case MusicState::Stopped:
            from = stream_->positionSeconds();
            break;
        }
    }
    stream_->stop();
    if (lengthKnown() && *from >= stream_->lengthSeconds())
        return MciReply::ok(); // at the end already: nothing left to play, as after the file has
                               // ended
    return stream_->play(*from) ? MciReply::ok() : MciReply::fail(mci_error::Hardware);
}

bool MpegVideoDevice::lengthKnown() const {
    return stream_->lengthSeconds() > 0.0;
}

MciReply MpegVideoDevice::statusItem(MciCommand& command) {
    if (command.accept({"mode"})) {
        switch (stream_->state()) {
        case MusicState::Playing:
            return MciReply::ok("playing");
        case MusicState::Paused:
            return MciReply::ok("paused");
        case MusicState::Stopped:
            return MciReply::ok("stopped");
        }
    }
    if (command.accept({"position"}))
        return MciReply::ok(milliseconds(stream_->positionSeconds()));
    if (command.accept({"length"}))
        return MciReply::ok(milliseconds(stream_->lengthSeconds()));
    if (command.accept({"ready"}))
        return MciReply::ok("true");
    if (command.accept({"time", "format"}))
        return MciReply::ok("milliseconds");
    return MciReply::fail(command.atEnd() ? mci_error::MissingParameter
                                          : mci_error::UnrecognizedKeyword);
}

} // namespace quillaro
