#include "QtFileChooser.h"

#include "ChooserDialog.h"

namespace quillaro {

std::optional<std::string> QtFileChooser::chooseFile(QWidget* owner, const FileChoice& choice) {
    ChooserDialog dialog(owner, choice);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenPath().empty())
        return std::nullopt;
    return dialog.chosenPath();
}

} // namespace quillaro
