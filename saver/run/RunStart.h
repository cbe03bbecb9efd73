// The part of a run's start-up that needs no toolkit: the picture for the renderer (the desktop
// as the user left it, or the user's picture mirrored left to right), written to the hand-off
// file in one step, then the renderer started once that file is complete. The program's entry
// does this before the toolkit is up, so the renderer starts without waiting for it; the run
// form then takes over what was started.
#pragma once

#include "PictureService.h"
#include "graphics/Image24.h"
#include "graphics/Picture.h"
#include "platform/SaverServices.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillaro {

class RunStart {
public:
    // The picture areas' size before anything is loaded into them; a picture file that cannot
    // be loaded leaves a black picture of this size.
    static constexpr int EmptyPictureWidth = 45;
    static constexpr int EmptyPictureHeight = 41;

    // Only services.program, services.folders and services.programs are used.
    RunStart(SaverServices& services, std::unique_ptr<PictureService> pictures);

    // Prepares and writes the picture, then starts the renderer. Once only; later calls do
    // nothing.
    void begin();
    bool begun() const { return begun_; }

    const Picture& picture() const { return picture_; }
    std::optional<std::int64_t> rendererProcess() const { return rendererPid_; }

private:
    void prepareDesktop();
    void preparePictureFile();
    void saveForRenderer();

    SaverServices& services_;
    std::unique_ptr<PictureService> pictures_;
    std::optional<std::int64_t> rendererPid_;
    Picture picture_; // the picture written for the renderer, owned for the whole run
    bool begun_ = false;
};

} // namespace quillaro
