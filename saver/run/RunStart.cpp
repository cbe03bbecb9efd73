#include "RunStart.h"

#include "capture/Lumivane_C.h"
#include "common/HandoffPath.h"
#include "graphics/Raster.h"
#include "platform/Notices.h"
#include "settings/Conversions.h"
#include "settings/Settings.h"

#include <cstdio>
#include <unistd.h>

namespace quillaro {
namespace {

bool desktopChosen(const std::string& capture) {
    // Text that is not a number (an empty Capture among it) counts as the desktop.
    auto number = parseNumber(capture);
    return !number || *number == 0;
}

} // namespace

RunStart::RunStart(SaverServices& services, std::unique_ptr<PictureService> pictures)
    : services_(services), pictures_(std::move(pictures)), handoff_(handoffPath()) {}

void RunStart::hostIn(WindowId window) {
    host_ = window;
    const auto folder = workingFolder();
    handoff_ =
        folder.empty() ? folder : folder / ("Lumivane-" + std::to_string(::getpid()) + ".bmp");
}

void RunStart::begin() {
    if (begun_)
        return;
    begun_ = true;
    if (!desktopChosen(settings().Capture))
        preparePictureFile();
    else if (host_)
        prepareHostDesktop();
    else
        prepareDesktop();

    // The hand-off file is complete before the renderer starts; the saver never waits for it.
    rendererPid_ = services_.programs.startProgram(RendererPath(services_.program.folder),
                                                   rendererArguments());
}

std::vector<std::string> RunStart::rendererArguments() const {
    if (!host_)
        return {};
    char window[32];
    std::snprintf(window, sizeof window, "0x%lx", *host_);
    return {"--window-id", window, "--picture", handoff_.string()};
}

void RunStart::prepareHostDesktop() {
    // That monitor's own desktop, handed over as a /s run hands over the captured one.
    picture_ = pictures_->grabHostScreenshot(*host_);
    if (!picture_.empty()) {
        saveForRenderer();
        return;
    }
    // No screenshot (the daemon was told not to take one, or a preview pane): the user's
    // picture when one is set, else our sample landscape.
    if (!settings().ImageFile.empty()) {
        preparePictureFile();
        return;
    }
    picture_ = PictureFromBitmap(pictures_->samplePicture(), std::nullopt);
    if (!picture_.empty())
        saveForRenderer();
}

void RunStart::prepareDesktop() {
    picture_ = pictures_->grabDesktop();
    if (!picture_.empty()) // else nothing to save; the renderer finds an older picture or none
        saveForRenderer();
    else
        reportFallback("the desktop could not be captured; the floor keeps its last picture");
}

void RunStart::preparePictureFile() {
    // An unloadable picture leaves the picture area at its small black starting size.
    Image24 pic2(EmptyPictureWidth, EmptyPictureHeight);
    if (auto loaded = pictures_->loadPicture(settings().ImageFile))
        pic2 = std::move(*loaded);
    else
        reportFallback("the picture " + settings().ImageFile + " is not shown: " + loaded.error());
    const int w = pic2.width();
    const int h = pic2.height();
    // Mirrored left to right at its own size: the floor mirrors it back like a reflection.
    Image24 pic1(w, h);
    StretchBlt(pic1, w, 0, -w, h, pic2, 0, 0, w, h);
    picture_ = PictureFromBitmap(std::move(pic1), std::nullopt);
    saveForRenderer();
}

void RunStart::saveForRenderer() {
    // Written only into a folder that is ours alone, so nobody can redirect the picture.
    if (auto folder = services_.createPrivateFolder(workingFolder()); !folder)
        reportFallback("the floor shows no picture, the working folder is refused: " +
                       folder.error().message());
    else if (auto saved = pictures_->savePicture(picture_.bitmap(), handoff_); !saved)
        reportFallback("the picture is not handed over: " + saved.error().message());
}

} // namespace quillaro
