#include "CommandProperties.h"

namespace quillaro {
namespace {

// A caption written as "Command" is not stored, and one not stored reads as "Command1".
constexpr const char* StoredCaptionDefault = "Command1";
// How the host stores the background: 1 opaque, 0 transparent.
constexpr int OpaqueBackground = 1;
constexpr int TransparentBackground = 0;

std::optional<bool> boolean(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare("true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare("false", Qt::CaseInsensitive) == 0)
            return false;
    }
    if (const auto number = storedWholeNumber(value))
        return *number != 0;
    return std::nullopt;
}

} // namespace

std::optional<long long> storedWholeNumber(const QVariant& value) {
    bool ok = false;
    const long long number = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

void CommandProperties::read(const PropertyBag& bag, const QFont& ambientFont) {
    if (const auto stored = boolean(bag.read("Enabled", true)))
        enabled = *stored;
    if (const QVariant stored = bag.read("Caption", StoredCaptionDefault);
        stored.typeId() == QMetaType::QString)
        caption = stored.toString();
    if (const QVariant stored = bag.read("Font", ambientFont); stored.typeId() == QMetaType::QFont)
        font = stored.value<QFont>();
    if (const auto stored = storedWholeNumber(bag.read("FirstRun", 1));
        stored && *stored >= 0 && *stored <= 255)
        firstRun = static_cast<std::uint8_t>(*stored);
    if (const auto stored = storedWholeNumber(bag.read("FontColour", 0));
        stored && isCaptionColour(*stored))
        fontColour = static_cast<std::uint32_t>(*stored);
    if (const auto stored = storedWholeNumber(bag.read("Visible", OpaqueBackground));
        stored && (*stored == OpaqueBackground || *stored == TransparentBackground))
        opaque = *stored == OpaqueBackground;
}

void CommandProperties::write(PropertyBag& bag, const QFont& ambientFont) const {
    bag.write("Enabled", enabled, true);
    bag.write("Caption", caption, DesignCaption);
    bag.write("FirstRun", int{firstRun}, 1);
    bag.write("Font", font, ambientFont);
    bag.write("FontColour", static_cast<qint64>(fontColour), 0);
    bag.write("Visible", opaque ? OpaqueBackground : TransparentBackground, OpaqueBackground);
}

} // namespace quillaro
