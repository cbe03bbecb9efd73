#include "ScreenPictureService.h"

#include "capture/Lumivane_C.h"
#include "graphics/Bmp24Saver.h"
#include "graphics/PictureFile.h"

namespace quillaro {

Picture ScreenPictureService::grabDesktop() {
    return GrabDesktop();
}

Result<Image24, std::string> ScreenPictureService::loadPicture(const std::filesystem::path& file) {
    return loadPictureFile(file);
}

Result<void, SystemError> ScreenPictureService::savePicture(const Image24& image,
                                                            const std::filesystem::path& file) {
    return saveBmp24(image, file);
}

} // namespace quillaro
