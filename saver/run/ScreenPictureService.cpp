#include "ScreenPictureService.h"

#include "capture/Lumivane_C.h"
#include "graphics/Bmp24Saver.h"
#include "graphics/PictureFile.h"

namespace quillaro {

Picture ScreenPictureService::grabDesktop() {
    return GrabDesktop();
}

std::optional<Image24> ScreenPictureService::loadPicture(const std::filesystem::path& file) {
    return loadPictureFile(file);
}

std::string ScreenPictureService::loadProblem(const std::filesystem::path& file) {
    return pictureProblem(file);
}

bool ScreenPictureService::savePicture(const Image24& image, const std::filesystem::path& file) {
    return saveBmp24(image, file);
}

} // namespace quillaro
