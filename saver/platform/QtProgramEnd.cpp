#include "QtProgramEnd.h"

#include <QCoreApplication>

namespace quillaro {

void QtProgramEnd::endProgram(int exitCode) {
    if (requested_)
        return;
    requested_ = true;
    exitCode_ = exitCode;
    if (auto* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        QCoreApplication::exit(exitCode);
    }
}

void QtProgramEnd::allowTeardown() {
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool QtProgramEnd::eventFilter(QObject*, QEvent*) {
    return true;
}

} // namespace quillaro
