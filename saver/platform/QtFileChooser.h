// The open-file chooser on Qt: a dialog of our own (ChooserDialog), never the desktop's or Qt's,
// so it looks and behaves the same on every desktop and under test, and lists and hands back
// names that are not UTF-8 as their bytes. It accepts a name that does not exist, as the chooser
// the settings were first made with did.
#pragma once

#include "FileChooser.h"

namespace quillaro {

class QtFileChooser : public FileChooser {
public:
    std::optional<std::string> chooseFile(QWidget* owner, const FileChoice& choice) override;
};

} // namespace quillaro
