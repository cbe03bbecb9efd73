// The push button's stored properties as the host keeps them in its layout, read from and written
// to a PropertyBag under the keys, defaults and order the host expects; the widget holds the
// values and does the painting that reading them calls for.
#pragma once

#include "PropertyBag.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <optional>

namespace quillaro {

struct CommandProperties {
    bool enabled = false;
    QString caption;
    QFont font;
    std::uint8_t firstRun = 0; // 0 for a fresh instance that was never set up
    std::uint32_t fontColour = 0;
    bool opaque = true; // the face shows; transparent shows only the caption

    // The bag's values over these, in the host's order ("Enabled", "Caption", "Font",
    // "FirstRun", "FontColour", "Visible"); a missing key gives its default, and a value that
    // does not fit its property leaves the property as it was.
    void read(const PropertyBag& bag, const QFont& ambientFont);
    // Writes them ("Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"), leaving
    // out values equal to their defaults.
    void write(PropertyBag& bag, const QFont& ambientFont) const;
};

// The caption a fresh button shows; a caption equal to it is not stored.
inline constexpr const char* DesignCaption = "Command";

// A caption colour is 0x00BBGGRR; anything else is no colour.
inline bool isCaptionColour(long long value) {
    return value >= 0 && value <= 0xFFFFFF;
}

// A stored value as a whole number, if it is one.
std::optional<long long> storedWholeNumber(const QVariant& value);

} // namespace quillaro
