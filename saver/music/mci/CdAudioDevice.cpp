#include "CdAudioDevice.h"

#include "MciErrors.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace quillaro {
namespace {

// The time formats by the names that "status ... time format" replies with and "set ... time
// format" accepts; "ms" is accepted for milliseconds too.
constexpr std::array<std::pair<CdTimeFormatKind, std::string_view>, 3> TimeFormatNames{{
    {CdTimeFormatKind::Tmsf, "tmsf"},
    {CdTimeFormatKind::Msf, "msf"},
    {CdTimeFormatKind::Milliseconds, "milliseconds"},
}};
constexpr std::string_view MillisecondsShort = "ms";

std::string_view formatName(CdTimeFormatKind kind) {
    for (const auto& [known, name] : TimeFormatNames)
        if (known == kind)
            return name;
    return {};
}

} // namespace

CdAudioDevice::CdAudioDevice(std::unique_ptr<CdDrive> drive) : drive_(std::move(drive)) {
    position_ = discStart();
}

CdAudioDevice::~CdAudioDevice() {
    drive_->stop();
}

std::int32_t CdAudioDevice::discStart() const {
    if (drive_->media() != CdMedia::Present || drive_->toc().trackCount() == 0)
        return 0;
    const CdToc& toc = drive_->toc();
    for (int t = toc.firstTrack; t <= toc.lastTrack(); ++t)
        if (toc.audio[t - toc.firstTrack])
            return toc.startOf(t);
    return toc.startOf(toc.firstTrack);
}

bool CdAudioDevice::isAudio(int track) const {
    const CdToc& toc = drive_->toc();
    const auto index = static_cast<std::size_t>(track - toc.firstTrack);
    return index < toc.audio.size() && toc.audio[index];
}

std::optional<std::int32_t> CdAudioDevice::soundFrom(std::int32_t sector) const {
    const CdToc& toc = drive_->toc();
    if (toc.trackCount() == 0)
        return std::nullopt;
    for (int t = CdTimeFormat::trackOf(sector, toc); t <= toc.lastTrack(); ++t) {
        if (!isAudio(t))
            continue;
        const std::int32_t start = std::max(sector, toc.startOf(t));
        if (start < soundEnd(start))
            return start;
    }
    return std::nullopt;
}

std::int32_t CdAudioDevice::soundEnd(std::int32_t sector) const {
    const CdToc& toc = drive_->toc();
    int last = CdTimeFormat::trackOf(sector, toc);
    while (last < toc.lastTrack() && isAudio(last + 1))
        ++last;
    std::int32_t end = std::min(toc.endOf(last), toc.leadout);
    if (toc.firstSessionEnd > toc.startOf(last) && toc.firstSessionEnd < end)
        end = toc.firstSessionEnd;
    return end;
}

std::int32_t CdAudioDevice::currentSector() {
    if (drive_->playing())
        return drive_->position();
    if (started_) {
        // The play has ended since we last looked.
        started_ = false;
        if (drive_->readFailed()) {
            // An unreadable sector ends the disc: the next play starts it again instead of
            // failing at that sector over and over. The disc itself may have gone: the drive
            // has looked already, away from this thread, and media() tells.
            position_ = discStart();
        } else {
            // Keep where it stopped, unless no sound is left after that.
            position_ = drive_->position();
            if (!soundFrom(position_))
                position_ = discStart();
        }
    }
    return position_;
}

Result<int, std::int32_t> CdAudioDevice::readTrack(MciCommand& command) const {
    auto word = command.next();
    if (!word)
        return failure(mci_error::MissingParameter);
    auto value = MciCommand::digitsValue(*word, 3);
    if (!value)
        return failure(mci_error::BadInteger);
    if (!drive_->toc().hasTrack(static_cast<int>(*value)))
        return failure(mci_error::OutOfRange);
    return static_cast<int>(*value);
}

MciReply CdAudioDevice::carryOut(MciCommand& command) {
    const std::string& verb = command.verb();
    if (verb == "play")
        return play(command);
    if (verb == "set")
        return set(command);
    if (verb == "stop") {
        if (!command.atEnd())
            return MciReply::fail(mci_error::UnrecognizedKeyword);
        std::int32_t where = currentSector();
        drive_->stop();
        position_ = where;
        started_ = false;
        return MciReply::ok();
    }
    return MciReply::fail(mci_error::UnsupportedFunction);
}

MciReply CdAudioDevice::play(MciCommand& command) {
    std::int32_t from = currentSector();
    if (drive_->media() != CdMedia::Present)
        return MciReply::fail(mci_error::DeviceNotReady);
    const CdToc& toc = drive_->toc();
    std::int32_t to = toc.leadout;
    bool fromGiven = false;
    bool toGiven = false;
    while (!command.atEnd()) {
        bool isFrom = command.accept({"from"});
        if (!isFrom && !command.accept({"to"}))
            return MciReply::fail(mci_error::UnrecognizedKeyword);
        if ((isFrom && fromGiven) || (!isFrom && toGiven))
            return MciReply::fail(mci_error::UnrecognizedKeyword);
        auto text = command.next();
        if (!text)
            return MciReply::fail(mci_error::MissingParameter);
        const auto sector = CdTimeFormat::parse(*text, format_, toc);
        if (!sector)
            return MciReply::fail(sector.error());
        (isFrom ? from : to) = *sector;
        (isFrom ? fromGiven : toGiven) = true;
    }
    if (from > to)
        return MciReply::fail(mci_error::OutOfRange);
    // A position asked for inside a data track holds no sound: refused, rather than moved on to
    // the next audio track, which a caller that asked for this track would take for another.
    if (fromGiven && !isAudio(CdTimeFormat::trackOf(from, toc)))
        return MciReply::fail(mci_error::OutOfRange);
    // Played as sound, a data track is noise and the gap before a data session cannot be read.
    const std::optional<std::int32_t> start = soundFrom(from);
    if (!start || *start > to)
        return MciReply::fail(mci_error::OutOfRange);
    const std::int32_t end = std::min(to, soundEnd(*start));
    drive_->stop();
    if (!drive_->play(*start, end)) {
        started_ = false;
        return MciReply::fail(mci_error::Hardware);
    }
    position_ = *start;
    started_ = true;
    return MciReply::ok();
}

MciReply CdAudioDevice::statusItem(MciCommand& command) {
    currentSector(); // a play that has ended may have found the disc gone
    const bool present = drive_->media() == CdMedia::Present;
    if (command.accept({"mode"})) {
        if (!present)
            return MciReply::ok(drive_->media() == CdMedia::TrayOpen ? "open" : "not ready");
        return MciReply::ok(drive_->playing() ? "playing" : "stopped");
    }
    if (command.accept({"media", "present"}))
        return MciReply::ok(present ? "true" : "false");
    if (command.accept({"ready"}))
        return MciReply::ok(present ? "true" : "false");
    if (command.accept({"time", "format"}))
        return MciReply::ok(std::string(formatName(format_)));
    if (!present)
        return MciReply::fail(mci_error::DeviceNotReady);

    const CdToc& toc = drive_->toc();
    if (command.accept({"current", "track"})) {
        return MciReply::ok(std::to_string(CdTimeFormat::trackOf(currentSector(), toc)));
    }
    if (command.accept({"number", "of", "tracks"}))
        return MciReply::ok(std::to_string(toc.trackCount()));
    if (command.accept({"position", "track"})) {
        const auto track = readTrack(command);
        if (!track)
            return MciReply::fail(track.error());
        return MciReply::ok(CdTimeFormat::format(toc.startOf(*track), format_, toc));
    }
    if (command.accept({"position"}))
        return MciReply::ok(CdTimeFormat::format(currentSector(), format_, toc));
    if (command.accept({"length", "track"})) {
        const auto track = readTrack(command);
        if (!track)
            return MciReply::fail(track.error());
        return MciReply::ok(
            CdTimeFormat::formatLength(toc.endOf(*track) - toc.startOf(*track), format_));
    }
    if (command.accept({"length"}))
        return MciReply::ok(
            CdTimeFormat::formatLength(toc.leadout - toc.startOf(toc.firstTrack), format_));
    return MciReply::fail(command.atEnd() ? mci_error::MissingParameter
                                          : mci_error::UnrecognizedKeyword);
}

MciReply CdAudioDevice::set(MciCommand& command) {
    if (!command.accept({"time", "format"}))
        return MciReply::fail(command.atEnd() ? mci_error::MissingParameter
                                              : mci_error::UnsupportedFunction);
    const auto named =
        std::find_if(TimeFormatNames.begin(), TimeFormatNames.end(),
                     [&](const auto& format) { return command.accept({format.second}); });
    if (named != TimeFormatNames.end())
        format_ = named->first;
    else if (command.accept({MillisecondsShort}))
        format_ = CdTimeFormatKind::Milliseconds;
    else
        return MciReply::fail(mci_error::BadTimeFormat);
    return command.atEnd() ? MciReply::ok() : MciReply::fail(mci_error::UnrecognizedKeyword);
}

} // namespace quillaro
