// The text channel to the multimedia command service: one command string in, a result code and
// a reply text out. The music module talks only to this interface, so its logic can be driven by
// a fake in tests; MciInterpreter is the real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillaro {

struct MciReply {
    std::int32_t code = 0; // 0 on success, else an error code numbered as Windows numbers them
    std::string text;      // the reply; empty on failure and when no reply buffer was given

    static MciReply ok(std::string text = {}) { return MciReply{0, std::move(text)}; }
    static MciReply fail(std::int32_t code) { return MciReply{code, {}}; }
};

class MciChannel {
public:
    virtual ~MciChannel() = default;

    // Carries out one command. replyLength is the caller's reply buffer in characters, its
    // terminating NUL included: a longer reply is cut to replyLength - 1 characters, and 0 means
    // the caller wants no reply at all.
    virtual MciReply send(std::string_view command, std::size_t replyLength) = 0;

    // The text that explains an error code, or nothing for a code it does not know.
    virtual std::optional<std::string> errorText(std::int32_t code) = 0;
};

} // namespace quillaro
