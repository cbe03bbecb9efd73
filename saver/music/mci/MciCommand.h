// One command string of the music command layer, split into words. Words are separated by
// blanks; a word in double quotes may hold blanks (file names). Keywords match without regard
// to case; names and file paths keep their case. The flags "wait" and "notify" are accepted
// anywhere after the device name and dropped: every command already returns when it has been
// carried out, and there is no window to notify.
#pragma once

#include "common/Result.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillaro {

class MciCommand {
public:
    // Splits the text: the command, or the code of what is wrong with it.
    static Result<MciCommand, std::int32_t> parse(std::string_view text);

    const std::string& verb() const { return verb_; }     // lower case
    const std::string& device() const { return device_; } // as written, quotes removed

    // True, and moves past them, when the next words are these keywords (any case).
    bool accept(std::initializer_list<std::string_view> keywords);
    // The next word as written, moving past it; nothing at the end.
    std::optional<std::string> next();
    bool atEnd() const { return pos_ >= words_.size(); }

    static bool sameWord(std::string_view a, std::string_view b);
    // A word of decimal digits only, at most maxDigits of them, as its value; nothing for
    // anything else (a sign, a blank, an empty word). Positions, track numbers and
    // milliseconds are all written this way.
    static std::optional<std::int64_t> digitsValue(std::string_view word, std::size_t maxDigits);

private:
    std::string verb_;
    std::string device_;
    std::vector<std::string> words_;
    std::size_t pos_ = 0;
};

} // namespace quillaro
