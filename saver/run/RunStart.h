// The part of a run's start-up that needs no toolkit: the picture for the renderer (the desktop
// as the user left it, or the user's picture mirrored left to right), written to the hand-off
// file in one step, then the renderer started once that file is complete. The program's entry
// does this before the toolkit is up, so the renderer starts without waiting for it; the run
// form then takes over what was started. A run inside a screen-saver daemon's window starts
// the same way, with its own hand-off file and the renderer told its window.
#pragma once

#include "PictureService.h"
#include "graphics/Image24.h"
#include "graphics/Picture.h"
#include "platform/SaverServices.h"
#include "platform/WindowLookup.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillaro {

class RunStart {
public:
    // The picture areas' size before anything is loaded into them; a picture file that cannot
    // be loaded leaves a black picture of this size.
    static constexpr int EmptyPictureWidth = 45;
    static constexpr int EmptyPictureHeight = 41;

    // Only services.program, services.folders and services.programs are used.
    RunStart(SaverServices& services, std::unique_ptr<PictureService> pictures);

    // Makes this a start inside the daemon's window: its own hand-off file (several copies run
    // at once, one per monitor), the renderer told its window and file, the desktop taken from
    // the window's screenshot. Before begin.
    void hostIn(WindowId window);

    // Prepares and writes the picture, then starts the renderer. Once only; later calls do
    // nothing.
    void begin();

    const Picture& picture() const { return picture_; }
    std::optional<std::int64_t> rendererProcess() const { return rendererPid_; }
    const std::filesystem::path& handoffFile() const { return handoff_; }

private:
    void prepareDesktop();
    void prepareHostDesktop();
    void preparePictureFile();
    void saveForRenderer();
    std::vector<std::string> rendererArguments() const;

    SaverServices& services_;
    std::unique_ptr<PictureService> pictures_;
    std::optional<WindowId> host_;
    std::filesystem::path handoff_;
    std::optional<std::int64_t> rendererPid_;
    Picture picture_; // the picture written for the renderer, owned for the whole run
    bool begun_ = false;
};

} // namespace quillaro
