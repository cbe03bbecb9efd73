#include "QtMessageBox.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>

namespace quillaro {
namespace {

constexpr const char* CopySeparator = "---------------------------\n";

class CopyableMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            QStringList buttonTexts;
            for (QAbstractButton* button : buttons())
                buttonTexts << button->text().remove(u'&');
            QGuiApplication::clipboard()->setText(
                QtMessageBox::clipboardText(windowTitle(), text(), buttonTexts));
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

} // namespace

QString QtMessageBox::clipboardText(const QString& caption, const QString& text,
                                    const QStringList& buttons) {
    const QString separator = QString::fromLatin1(CopySeparator);
    return separator + caption + u'\n' + separator + text + u'\n' + separator +
           buttons.join(QStringLiteral("   ")) + QStringLiteral("   \n") + separator;
}

void QtMessageBox::showMessage(const std::string& caption, const std::string& text) {
    CopyableMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                           QString::fromStdString(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace quillaro
