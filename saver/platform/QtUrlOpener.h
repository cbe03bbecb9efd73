// Opening a web address through the desktop's own opener (QDesktopServices, which runs
// xdg-open on X11 desktops).
#pragma once

#include "UrlOpener.h"

namespace quillaro {

class QtUrlOpener : public UrlOpener {
public:
    void openUrl(const QString& url) override;
};

} // namespace quillaro
