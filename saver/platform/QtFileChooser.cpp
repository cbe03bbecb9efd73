#include "QtFileChooser.h"

#include <QFileDialog>

namespace quillaro {

std::unique_ptr<QFileDialog> QtFileChooser::makeDialog(QWidget* owner, const FileChoice& choice) {
    auto dialog = std::make_unique<QFileDialog>(owner, choice.title, choice.initialFolder);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The list shows the filter's own name; the patterns in brackets only tell Qt what to list.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile); // the chosen name need not exist
    QStringList filters;
    for (const FileFilter& filter : choice.filters)
        filters << filter.name + " (" + filter.patterns.join(' ') + ")";
    dialog->setNameFilters(filters);
    dialog->setWindowModality(Qt::WindowModal);
    return dialog;
}

std::optional<QString> QtFileChooser::chooseFile(QWidget* owner, const FileChoice& choice) {
    const std::unique_ptr<QFileDialog> dialog = makeDialog(owner, choice);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    return chosen.front();
}

} // namespace quillaro
