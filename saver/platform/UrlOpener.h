// Opening a web address in the user's browser; the settings dialog's link uses it. Unit tests
// take the address instead of starting a browser.
#pragma once

#include <QString>

namespace quillaro {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Asks the desktop to open url; a failure (no browser) is not reported.
    virtual void openUrl(const QString& url) = 0;
};

} // namespace quillaro
