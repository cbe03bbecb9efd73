// The program's one kind of message: a box with an OK button only.
#pragma once

#include <string>

namespace quillaro {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows text (UTF-8) under caption and returns once the user has dismissed it.
    virtual void showMessage(const std::string& caption, const std::string& text) = 0;
};

} // namespace quillaro
