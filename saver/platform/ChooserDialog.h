// The file chooser's window: where it is, an up button, the folder's entries, the name field,
// the file-type list and Open / Cancel. What it lists comes from FolderListing, so a name that
// is not UTF-8 is listed and confirmed as its own bytes; the window only shows and routes input.
#pragma once

#include "FileChooser.h"
#include "FolderListing.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <string>
#include <vector>

namespace quillaro {

class ChooserDialog : public QDialog {
    Q_OBJECT
public:
    // Set up, not yet shown: titled and listing as choice says, window-modal over owner.
    ChooserDialog(QWidget* owner, const FileChoice& choice);

    // The folder shown, as bytes.
    const std::string& folder() const { return folder_; }
    // The path confirmed, as bytes; empty until the dialog is accepted.
    const std::string& chosenPath() const { return chosen_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows folder if it is one; false (and a beep) otherwise.
    bool enterFolder(const std::string& folder);
    void relist();
    const FolderEntry* entryAt(int row) const; // nothing for a row the list does not have
    const FolderEntry* selectedEntry() const;
    void onSelectionChanged();
    void onEntryActivated(QListWidgetItem* item);
    // Enters a folder entry, confirms a file entry.
    void openEntry(const FolderEntry& entry);
    void onFolderTyped();
    void onUp();
    void onOpen();
    void confirm(const std::string& path);

    std::vector<FileFilter> filters_;
    std::string folder_;
    std::vector<FolderEntry> entries_; // the list's rows, in order
    std::string chosen_;
    QFileIconProvider icons_;

    QGridLayout layout_;
    QLabel folderLabel_;
    QLineEdit folderEdit_;
    QToolButton upButton_;
    QListWidget list_;
    QLabel nameLabel_;
    QLineEdit nameEdit_;
    QLabel typeLabel_;
    QComboBox types_;
    QDialogButtonBox buttons_;
};

} // namespace quillaro
