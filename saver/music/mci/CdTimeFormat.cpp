#include "CdTimeFormat.h"

#include "MciCommand.h"
#include "MciErrors.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace quillaro {
namespace {

constexpr int MaxPart = 255;
constexpr int SecondsPerMinute = 60;
constexpr std::int64_t MillisecondsPerSecond = 1000;

// "a:b:c" into at most maxParts numbers of 0..255; nothing when the text is not of that form.
std::optional<std::vector<int>> splitParts(std::string_view text, std::size_t maxParts) {
    std::vector<int> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = text.find(':', start);
        std::string_view part = text.substr(
            start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        auto value = MciCommand::digitsValue(part, 3);
        if (!value || *value > MaxPart)
            return std::nullopt;
        parts.push_back(static_cast<int>(*value));
        if (parts.size() > maxParts)
            return std::nullopt;
        if (colon == std::string_view::npos)
            return parts;
        start = colon + 1;
    }
}

std::string msfText(std::int32_t frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d",
                  frames / (CdTimeFormat::FramesPerSecond * SecondsPerMinute),
                  frames / CdTimeFormat::FramesPerSecond % SecondsPerMinute,
                  frames % CdTimeFormat::FramesPerSecond);
    return text;
}

std::int64_t millisecondsOf(std::int64_t frames) {
    return frames * MillisecondsPerSecond / CdTimeFormat::FramesPerSecond;
}

} // namespace

int CdTimeFormat::trackOf(std::int32_t sector, const CdToc& toc) {
    int track = toc.firstTrack;
    for (int t = toc.firstTrack; t <= toc.lastTrack(); ++t)
        if (toc.startOf(t) <= sector)
            track = t;
    return track;
}

std::string CdTimeFormat::format(std::int32_t sector, CdTimeFormatKind kind, const CdToc& toc) {
    switch (kind) {
    case CdTimeFormatKind::Tmsf: {
        if (toc.trackCount() == 0)
            return "00:00:00:00";
        int track = trackOf(sector, toc);
        char text[8];
        std::snprintf(text, sizeof text, "%02d:", track);
        return text + msfText(sector - toc.startOf(track));
    }
    case CdTimeFormatKind::Msf:
        return msfText(sector + AddressOffset);
    case CdTimeFormatKind::Milliseconds:
        return std::to_string(millisecondsOf(sector + AddressOffset));
    }
    return {};
}

std::string CdTimeFormat::formatLength(std::int32_t sectors, CdTimeFormatKind kind) {
    if (kind == CdTimeFormatKind::Milliseconds)
        return std::to_string(millisecondsOf(sectors));
    return msfText(sectors);
}

Result<std::int32_t, std::int32_t> CdTimeFormat::parse(std::string_view text, CdTimeFormatKind kind,
                                                       const CdToc& toc) {
    std::int64_t result = 0;
    if (kind == CdTimeFormatKind::Milliseconds) {
        auto ms = MciCommand::digitsValue(text, 9);
        if (!ms)
            return failure(mci_error::BadInteger);
        // Rounded up: a reply rounds a sector's start down to the millisecond, so the sector
        // that starts at or after the given time is the one the reply was made from.
        result = (*ms * FramesPerSecond + MillisecondsPerSecond - 1) / MillisecondsPerSecond -
                 AddressOffset;
    } else {
        auto parts = splitParts(text, kind == CdTimeFormatKind::Tmsf ? 4 : 3);
        if (!parts)
            return failure(mci_error::BadInteger);
        parts->resize(kind == CdTimeFormatKind::Tmsf ? 4 : 3, 0);
        const auto& p = *parts;
        std::size_t m = kind == CdTimeFormatKind::Tmsf ? 1 : 0;
        std::int64_t frames =
            (std::int64_t{p[m]} * SecondsPerMinute + p[m + 1]) * FramesPerSecond + p[m + 2];
        if (kind == CdTimeFormatKind::Tmsf) {
            if (!toc.hasTrack(p[0]))
                return failure(mci_error::OutOfRange);
            result = toc.startOf(p[0]) + frames;
        } else {
            result = frames - AddressOffset;
        }
    }
    if (toc.trackCount() == 0 || result < toc.startOf(toc.firstTrack) || result > toc.leadout)
        return failure(mci_error::OutOfRange);
    return static_cast<std::int32_t>(result);
}

} // namespace quillaro
