// The saver's entry: the single-instance guard and mode dispatch of Main.
//
// Main hands over to one of three units through Handovers; until a unit has been plugged in
// there, the program ends where it would have handed over.
#pragma once

#include "platform/SaverServices.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace quillaro {

inline constexpr const char* MessageCaption = "Quillaro (ScreenSaver)";
inline constexpr const char* RendererMissingMessage = "Quillaro.dll が同じﾌｫﾙﾀﾞに見つかりません！";

inline constexpr int ExitRendererMissing = 1;

// The units Main hands over to. Each may be left empty while its unit is not built yet.
struct Handovers {
    // Places the preview inside the given window; returns the preview form.
    std::function<LoadedForm(SaverServices&, std::int32_t previewHandle)> preview;
    // Shows the settings dialog modally and returns once it has closed.
    std::function<void(SaverServices&)> settingsDialog;
    // Loads the hidden run form, whose start-up prepares the picture, starts the renderer and
    // the music; returns the form, which ends the program itself when the run is over.
    std::function<LoadedForm(SaverServices&)> run;
    // The same run inside a screen-saver daemon's window, one copy per monitor.
    std::function<LoadedForm(SaverServices&, WindowId window)> displayRun;
};

// Runs the start-up: guard, mode letter, working folder, settings, renderer check, dispatch.
// Returns the form that keeps the program alive, or null once it has ended the program through
// services.end.
LoadedForm Main(SaverServices& services, const Handovers& handovers);

// The preview window handle: the command line from its fourth character on, read leniently and
// rounded to a 32-bit integer; 0 when there is no number or it does not fit.
std::int32_t PreviewHandle(std::string_view commandLine);

} // namespace quillaro
