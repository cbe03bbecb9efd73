#include "ScreenPictureService.h"

#include "capture/HostScreenshot.h"
#include "capture/Lumivane_C.h"
#include "graphics/Bmp24Saver.h"
#include "graphics/EmbeddedPicture.h"
#include "graphics/PictureFile.h"
#include "platform/XConnection.h"

namespace quillaro {

Picture ScreenPictureService::grabDesktop() {
    return GrabDesktop();
}

Result<Image24, std::string> ScreenPictureService::loadPicture(const std::filesystem::path& file) {
    return loadPictureFile(file);
}

bool hostFillsItsMonitor(WindowId host) {
    auto connection = XConnection::open();
    return connection && HostFillsItsMonitor(connection->display(), host);
}

Picture ScreenPictureService::grabHostScreenshot(WindowId host) {
    auto connection = XConnection::open();
    return connection ? GrabHostScreenshot(connection->display(), host) : Picture{};
}

Image24 ScreenPictureService::samplePicture() {
    return loadEmbeddedPicture(":/run/SamplePicture.bmp").value_or(Image24{});
}

Result<void, SystemError> ScreenPictureService::savePicture(const Image24& image,
                                                            const std::filesystem::path& file) {
    return saveBmp24(image, file);
}

} // namespace quillaro
