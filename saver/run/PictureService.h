// What the run form asks of pictures: the desktop as it looks now, the user's picture file, and
// saving the hand-off file. The program uses the capture and file code; unit tests use a fake.
#pragma once

#include "common/SystemError.h"
#include "graphics/Image24.h"
#include "graphics/Picture.h"
#include "platform/WindowLookup.h"

#include <filesystem>
#include <string>

namespace quillaro {

class PictureService {
public:
    virtual ~PictureService() = default;
    // The whole primary screen at its size in pixels; an empty picture when capturing fails.
    virtual Picture grabDesktop() = 0;
    // A picture file, upright and within the size limits, or why it cannot be loaded, for a
    // person to read.
    virtual Result<Image24, std::string> loadPicture(const std::filesystem::path& file) = 0;
    // The desktop as it was before a screen-saver daemon blanked the monitor that the window
    // covers, not mirrored; an empty picture when the daemon left none.
    virtual Picture grabHostScreenshot(WindowId) { return {}; }
    // The picture the floor shows when nothing else is there: our sample landscape.
    virtual Image24 samplePicture() { return {}; }
    // Replaces the file with the picture in the renderer's layout, or says why it could not.
    [[nodiscard]] virtual Result<void, SystemError>
    savePicture(const Image24& image, const std::filesystem::path& file) = 0;
};

} // namespace quillaro
