// The real picture services: the desktop from the X server, picture files through Qt's readers,
// the hand-off file through the atomic bitmap writer.
#pragma once

#include "PictureService.h"

namespace quillaro {

class ScreenPictureService : public PictureService {
public:
    Picture grabDesktop() override;
    Result<Image24, std::string> loadPicture(const std::filesystem::path& file) override;
    Result<void, SystemError> savePicture(const Image24& image,
                                          const std::filesystem::path& file) override;
};

} // namespace quillaro
