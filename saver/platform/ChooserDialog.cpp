#include "ChooserDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QStyle>
#include <filesystem>

namespace quillaro {
namespace {

constexpr QSize DefaultSize{560, 380};

// Qt's own file dialog's texts, so that its translations, where loaded, apply here too.
QString qtText(const char* text) {
    return QCoreApplication::translate("QFileDialog", text);
}

// path without "." and ".." parts or a trailing slash, as the folder field shows it.
std::string tidyFolder(const std::string& path) {
    std::string tidy = std::filesystem::path(path).lexically_normal().string();
    while (tidy.size() > 1 && tidy.back() == '/')
        tidy.pop_back();
    return tidy;
}

std::string parentOf(const std::string& folder) {
    return std::filesystem::path(folder).parent_path().string();
}

} // namespace

ChooserDialog::ChooserDialog(QWidget* owner, const FileChoice& choice)
    : QDialog(owner), filters_(choice.filters), layout_(this), folderLabel_(qtText("Look in:")),
      nameLabel_(qtText("File &name:")), typeLabel_(qtText("Files of type:")),
      buttons_(QDialogButtonBox::Open | QDialogButtonBox::Cancel) {
    setWindowTitle(choice.title);
    setWindowModality(Qt::WindowModal);
    folderEdit_.setObjectName("folderEdit");
    upButton_.setObjectName("upButton");
    list_.setObjectName("fileList");
    nameEdit_.setObjectName("fileNameEdit");
    types_.setObjectName("fileTypeCombo");
    buttons_.setObjectName("buttonBox");

    upButton_.setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    upButton_.setToolTip(qtText("Parent Directory"));
    upButton_.setAutoRaise(true);
    list_.setSelectionMode(QAbstractItemView::SingleSelection);
    list_.setUniformItemSizes(true);
    folderLabel_.setBuddy(&folderEdit_);
    nameLabel_.setBuddy(&nameEdit_);
    typeLabel_.setBuddy(&types_);
    // Only the filters' names show; their patterns decide what is listed.
    for (const FileFilter& filter : filters_)
        types_.addItem(filter.name);

    layout_.addWidget(&folderLabel_, 0, 0);
    layout_.addWidget(&folderEdit_, 0, 1);
    layout_.addWidget(&upButton_, 0, 2);
    layout_.addWidget(&list_, 1, 0, 1, 3);
    layout_.addWidget(&nameLabel_, 2, 0);
    layout_.addWidget(&nameEdit_, 2, 1, 1, 2);
    layout_.addWidget(&typeLabel_, 3, 0);
    layout_.addWidget(&types_, 3, 1, 1, 2);
    layout_.addWidget(&buttons_, 4, 0, 1, 3);
    resize(DefaultSize);

    connect(&folderEdit_, &QLineEdit::returnPressed, this, &ChooserDialog::onFolderTyped);
    connect(&upButton_, &QToolButton::clicked, this, &ChooserDialog::onUp);
    connect(&list_, &QListWidget::itemSelectionChanged, this, &ChooserDialog::onSelectionChanged);
    connect(&list_, &QListWidget::itemActivated, this, &ChooserDialog::onEntryActivated);
    connect(&nameEdit_, &QLineEdit::returnPressed, this, &ChooserDialog::onOpen);
    connect(&types_, &QComboBox::currentIndexChanged, this, &ChooserDialog::relist);
    connect(&buttons_, &QDialogButtonBox::accepted, this, &ChooserDialog::onOpen);
    connect(&buttons_, &QDialogButtonBox::rejected, this, &ChooserDialog::reject);

    // Where it was asked to open, else the nearest folder above that still exists.
    std::string start = choice.initialFolder.empty()
                            ? QFile::encodeName(QDir::homePath()).toStdString()
                            : tidyFolder(choice.initialFolder);
    while (!isFolderPath(start) && start != parentOf(start))
        start = parentOf(start);
    enterFolder(start.empty() ? "/" : start);
    nameEdit_.setFocus();
}

void ChooserDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Qt's default button would confirm whatever the name field holds, even when Enter was
        // meant for the folder field or a folder in the list; those and the buttons act on Enter
        // themselves, and only from the file-type list does it open.
        if (focusWidget() == &types_)
            onOpen();
    } else if ((key == Qt::Key_Up && event->modifiers() == Qt::AltModifier) ||
               (key == Qt::Key_Backspace && focusWidget() == &list_)) {
        onUp();
    } else {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool ChooserDialog::enterFolder(const std::string& folder) {
    const std::string tidy = tidyFolder(folder);
    if (!isFolderPath(tidy)) {
        QApplication::beep();
        folderEdit_.setText(displayText(folder_));
        return false;
    }
    folder_ = tidy;
    folderEdit_.setText(displayText(folder_));
    upButton_.setEnabled(folder_ != parentOf(folder_));
    relist();
    return true;
}

void ChooserDialog::relist() {
    list_.clear(); // before its rows' entries change
    const int filter = types_.currentIndex();
    entries_ = listFolder(folder_, filter >= 0 ? filters_[static_cast<std::size_t>(filter)].patterns
                                               : QStringList());
    // Two icons for the whole list: a folder of thousands asks the style twice, not thousands
    // of times.
    const QIcon folderIcon = icons_.icon(QAbstractFileIconProvider::Folder);
    const QIcon fileIcon = icons_.icon(QAbstractFileIconProvider::File);
    for (const FolderEntry& entry : entries_)
        list_.addItem(new QListWidgetItem(entry.isFolder ? folderIcon : fileIcon, entry.text));
}

const FolderEntry* ChooserDialog::entryAt(int row) const {
    return row >= 0 && row < static_cast<int>(entries_.size())
               ? &entries_[static_cast<std::size_t>(row)]
               : nullptr;
}

const FolderEntry* ChooserDialog::selectedEntry() const {
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    return selected.isEmpty() ? nullptr : entryAt(list_.row(selected.front()));
}

void ChooserDialog::onSelectionChanged() {
    if (const FolderEntry* entry = selectedEntry())
        nameEdit_.setText(entry->text);
}

void ChooserDialog::onEntryActivated(QListWidgetItem* item) {
    if (const FolderEntry* entry = entryAt(list_.row(item)))
        openEntry(*entry);
}

void ChooserDialog::openEntry(const FolderEntry& entry) {
    const std::string path = joinPath(folder_, entry.name);
    if (!entry.isFolder)
        confirm(path);
    else if (enterFolder(path))
        nameEdit_.clear();
}

void ChooserDialog::onFolderTyped() {
    const QString typed = folderEdit_.text();
    enterFolder(typed == displayText(folder_) ? folder_ : typedPath(folder_, typed));
}

void ChooserDialog::onUp() {
    enterFolder(parentOf(folder_));
}

void ChooserDialog::onOpen() {
    const QString typed = nameEdit_.text();
    const FolderEntry* selected = selectedEntry();
    if (typed.isEmpty()) {
        if (selected && selected->isFolder)
            openEntry(*selected);
        return;
    }
    // The name read off the selected entry is that entry, whatever else shows the same text.
    const std::string path = selected && selected->text == typed ? joinPath(folder_, selected->name)
                                                                 : typedPath(folder_, typed);
    if (isFolderPath(path)) {
        if (enterFolder(path))
            nameEdit_.clear();
        return;
    }
    confirm(path);
}

void ChooserDialog::confirm(const std::string& path) {
    chosen_ = path;
    accept();
}

} // namespace quillaro
