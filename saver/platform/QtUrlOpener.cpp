#include "QtUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillaro {

void QtUrlOpener::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace quillaro
