// The real picture services: the desktop from the X server, picture files through Qt's readers,
// the hand-off file through the atomic bitmap writer.
#pragma once

#include "PictureService.h"

namespace quillaro {

// True when the window covers its whole monitor: a blanked monitor, not a preview pane.
bool hostFillsItsMonitor(WindowId host);

class ScreenPictureService : public PictureService {
public:
    Picture grabDesktop() override;
    Result<Image24, std::string> loadPicture(const std::filesystem::path& file) override;
    Picture grabHostScreenshot(WindowId host) override;
    Image24 samplePicture() override;
    Result<void, SystemError> savePicture(const Image24& image,
                                          const std::filesystem::path& file) override;
};

} // namespace quillaro
