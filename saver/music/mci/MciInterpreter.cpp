#include "MciInterpreter.h"

#include "CdAudioDevice.h"
#include "MciErrors.h"
#include "MpegVideoDevice.h"
#include "common/AsciiCase.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace quillaro {
namespace {

constexpr std::string_view CdAudioName = "cdaudio";
constexpr std::string_view MpegVideoType = "MPEGVideo";
// Verbs of the Windows command service; those a device lacks answer "unsupported".
constexpr std::array<std::string_view, 16> KnownVerbs{
    "open", "close", "play", "stop", "pause", "resume", "status", "set",
    "seek", "info",  "cue",  "load", "save",  "record", "delete", "capability"};
// Extensions that open as MPEGVideo when no type is named.
constexpr std::array<std::string_view, 4> MusicExtensions{".mp3", ".wav", ".ogg", ".mpg"};

} // namespace

MciInterpreter::MciInterpreter(std::unique_ptr<MciBackend> backend)
    : backend_(std::move(backend)) {}

MciInterpreter::~MciInterpreter() = default;

std::string MciInterpreter::keyOf(const std::string& name) const {
    return asciiLower(name);
}

std::string MciInterpreter::cutToBuffer(std::string text, std::size_t replyLength) {
    if (replyLength == 0)
        return {};
    if (text.size() > replyLength - 1) {
        std::size_t cut = replyLength - 1;
        // Never leave half of a multi-byte character at the end.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    return text;
}

MciReply MciInterpreter::send(std::string_view command, std::size_t replyLength) {
    MciReply reply = carryOut(command);
    if (reply.code != 0)
        reply.text.clear();
    reply.text = cutToBuffer(std::move(reply.text), replyLength);
    return reply;
}

std::optional<std::string> MciInterpreter::errorText(std::int32_t code) {
    return mci_error::text(code);
}

MciReply MciInterpreter::carryOut(std::string_view text) {
    auto parsed = MciCommand::parse(text);
    if (!parsed)
        return MciReply::fail(parsed.error());
    MciCommand& command = *parsed;
    if (std::find(KnownVerbs.begin(), KnownVerbs.end(), command.verb()) == KnownVerbs.end())
        return MciReply::fail(mci_error::UnrecognizedCommand);
    if (command.verb() == "open")
        return open(command);

    if (command.verb() == "close" && MciCommand::sameWord(command.device(), "all")) {
        devices_.clear();
        return MciReply{};
    }
    auto found = devices_.find(keyOf(command.device()));
    if (found == devices_.end())
        return MciReply::fail(mci_error::InvalidDeviceName);
    if (command.verb() == "close") {
        if (!command.atEnd())
            return MciReply::fail(mci_error::UnrecognizedKeyword);
        devices_.erase(found);
        return MciReply{};
    }
    return found->second->execute(command);
}

bool MciInterpreter::cdDriveOpen() const {
    return std::any_of(devices_.begin(), devices_.end(), [](const auto& named) {
        return dynamic_cast<const CdAudioDevice*>(named.second.get()) != nullptr;
    });
}

MciReply MciInterpreter::open(MciCommand& command) {
    const auto options = openOptions(command);
    if (!options)
        return MciReply::fail(options.error());
    const std::string& element = command.device();
    const auto kind = deviceKind(*options, element);
    if (!kind)
        return MciReply::fail(kind.error());
    const bool isCd = *kind == DeviceKind::CdAudio;

    // The device answers to its alias, else to the element it was opened with.
    std::string key = keyOf(options->alias ? *options->alias : element);
    if (devices_.count(key))
        return MciReply::fail(options->alias ? mci_error::DuplicateAlias : mci_error::DeviceOpen);
    // The drive has one transport and the sound output carries one CD player: while the drive
    // is open under one name, opening it under another is refused like a name already open.
    if (isCd && cdDriveOpen())
        return MciReply::fail(mci_error::DeviceOpen);

    auto device = createDevice(*kind, element);
    if (!device)
        return MciReply::fail(device.error());
    devices_.emplace(std::move(key), std::move(*device));
    return MciReply{0, std::to_string(nextDeviceId_++)};
}

Result<MciInterpreter::OpenOptions, std::int32_t> MciInterpreter::openOptions(MciCommand& command) {
    OpenOptions options;
    // "type <t>", "alias <a>" and "shareable", in any order.
    while (!command.atEnd()) {
        std::optional<std::string>* target = nullptr;
        if (command.accept({"type"}))
            target = &options.type;
        else if (command.accept({"alias"}))
            target = &options.alias;
        else if (command.accept({"shareable"}))
            continue;
        else
            return failure(mci_error::UnrecognizedKeyword);
        auto word = command.next();
        if (!word || target->has_value())
            return failure(word ? mci_error::UnrecognizedKeyword
                                : mci_error::MissingStringArgument);
        *target = *word;
    }
    return options;
}

Result<MciInterpreter::DeviceKind, std::int32_t>
MciInterpreter::deviceKind(const OpenOptions& options, const std::string& element) {
    if (options.type) {
        if (MciCommand::sameWord(*options.type, CdAudioName))
            return DeviceKind::CdAudio;
        if (MciCommand::sameWord(*options.type, MpegVideoType))
            return DeviceKind::MpegVideo;
        return failure(mci_error::InvalidDeviceName);
    }
    if (MciCommand::sameWord(element, CdAudioName))
        return DeviceKind::CdAudio;
    // No type: a music file by its extension.
    std::string extension = asciiLower(std::filesystem::path(element).extension().string());
    if (extension.empty())
        return failure(mci_error::InvalidDeviceName);
    if (std::find(MusicExtensions.begin(), MusicExtensions.end(), extension) ==
        MusicExtensions.end())
        return failure(mci_error::ExtensionNotFound);
    return DeviceKind::MpegVideo;
}

Result<std::unique_ptr<MciDevice>, std::int32_t>
MciInterpreter::createDevice(DeviceKind kind, const std::string& element) {
    if (kind == DeviceKind::CdAudio) {
        auto drive = backend_->openCdDrive();
        if (!drive)
            return failure(drive.error());
        return std::make_unique<CdAudioDevice>(std::move(*drive));
    }
    auto stream = backend_->openMusic(element);
    if (!stream)
        return failure(stream.error());
    return std::make_unique<MpegVideoDevice>(std::move(*stream));
}

} // namespace quillaro
