// The OK-only message box, as a Qt dialog with no icon. Its window title is the caption exactly
// as given, so other programs (and tests) find the box by it. As on Windows, Ctrl+C copies the
// whole box as text: caption, message and button between dashed lines.
#pragma once

#include "MessageBoxService.h"

#include <QString>

namespace quillaro {

class QtMessageBox : public MessageBoxService {
public:
    void showMessage(const std::string& caption, const std::string& text) override;

    // What Ctrl+C puts on the clipboard for a box with this caption, text and buttons.
    static QString clipboardText(const QString& caption, const QString& text,
                                 const QStringList& buttons);
};

} // namespace quillaro
