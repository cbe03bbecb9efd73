// The open-file chooser on Qt: Qt's own file dialog, never the desktop's, so it looks and
// behaves the same on every desktop and under test. It accepts a name that does not exist, as
// the chooser the settings were first made with did, and shows only the filters' names in its
// file-type list while listing the files its patterns match, whatever their case.
#pragma once

#include "FileChooser.h"

#include <memory>

class QFileDialog;

namespace quillaro {

class QtFileChooser : public FileChooser {
public:
    std::optional<QString> chooseFile(QWidget* owner, const FileChoice& choice) override;

    // The dialog chooseFile shows, set up but not yet shown.
    static std::unique_ptr<QFileDialog> makeDialog(QWidget* owner, const FileChoice& choice);
};

} // namespace quillaro
