// A command channel for unit tests: records every command with the reply length it was sent
// with, and answers from a script (a queue of replies per command, then a standing reply, then
// success with no text). It does not cut replies, so the caller's own cutting shows.
#pragma once

#include "music/mci/MciChannel.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillaro::test {

struct SentCommand {
    std::string text;
    std::size_t replyLength;
    bool operator==(const SentCommand&) const = default;
};

class FakeMciChannel : public MciChannel {
public:
    MciReply send(std::string_view command, std::size_t replyLength) override {
        std::string text(command);
        sent.push_back({text, replyLength});
        if (auto queued = queue.find(text); queued != queue.end() && !queued->second.empty()) {
            MciReply reply = queued->second.front();
            queued->second.pop_front();
            return reply;
        }
        if (auto standing = always.find(text); standing != always.end())
            return standing->second;
        return MciReply{};
    }
    std::optional<std::string> errorText(std::int32_t code) override {
        errorTextAsked.push_back(code);
        if (auto found = errorTexts.find(code); found != errorTexts.end())
            return found->second;
        return std::nullopt;
    }

    // The commands sent so far, text only; clears the record.
    std::vector<std::string> takeTexts() {
        std::vector<std::string> texts;
        for (const auto& c : sent)
            texts.push_back(c.text);
        sent.clear();
        return texts;
    }

    std::vector<SentCommand> sent;
    std::vector<std::int32_t> errorTextAsked;
    std::map<std::string, std::deque<MciReply>> queue;
    std::map<std::string, MciReply> always;
    std::map<std::int32_t, std::string> errorTexts;
};

} // namespace quillaro::test
