#include "MciCommand.h"

#include "MciErrors.h"
#include "common/AsciiCase.h"

namespace quillaro {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool MciCommand::sameWord(std::string_view a, std::string_view b) {
    return equalsIgnoringAsciiCase(a, b);
}

std::optional<std::int64_t> MciCommand::digitsValue(std::string_view word, std::size_t maxDigits) {
    if (word.empty() || word.size() > maxDigits)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

Result<MciCommand, std::int32_t> MciCommand::parse(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return failure(mci_error::NoClosingQuote);
            word.assign(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            while (i < text.size() && !isBlank(text[i]))
                word.push_back(text[i++]);
        }
        words.push_back(std::move(word));
    }
    if (words.empty())
        return failure(mci_error::MissingCommandString);
    if (words.size() < 2)
        return failure(mci_error::MissingDeviceName);

    MciCommand out;
    for (char c : words[0])
        out.verb_.push_back(asciiLower(c));
    out.device_ = words[1];
    for (std::size_t w = 2; w < words.size(); ++w)
        if (!sameWord(words[w], "wait") && !sameWord(words[w], "notify"))
            out.words_.push_back(std::move(words[w]));
    return out;
}

bool MciCommand::accept(std::initializer_list<std::string_view> keywords) {
    if (pos_ + keywords.size() > words_.size())
        return false;
    std::size_t p = pos_;
    for (std::string_view k : keywords)
        if (!sameWord(words_[p++], k))
            return false;
    pos_ = p;
    return true;
}

std::optional<std::string> MciCommand::next() {
    if (atEnd())
        return std::nullopt;
    return words_[pos_++];
}

} // namespace quillaro
