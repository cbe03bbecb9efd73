// The saver's entry and its shared procedures: the single-instance guard and mode dispatch of
// Main, the settings file with its loader, and the path helpers that the loader, the settings
// dialog and the run form share.
//
// Main hands over to one of three units through Handovers; until a unit has been plugged in
// there, the program ends where it would have handed over.
#pragma once

#include "SaverServices.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillaro {

// Titles by which instances know of each other: the run form's and the settings dialog's.
inline constexpr const char* RunFormTitle = "Lumivane_Main";
inline constexpr const char* SettingsDialogTitle = "<Quillaro>";

inline constexpr const char* RendererFileName = "Quillaro.dll";
inline constexpr const char* SettingsFileName = "Quillaro.ini";
inline constexpr const char* SettingsSection = "Section";
inline constexpr const char* KeyCapture = "ｷｬﾌﾟﾁｬｰ";
inline constexpr const char* KeyImageFile = "画像ﾌｧｲﾙ";
inline constexpr const char* KeyBgmKind = "BGM区分";
inline constexpr const char* KeyBgmRepeat = "BGMﾘﾋﾟｰﾄ";
inline constexpr const char* KeyBgmFile = "BGMﾌｧｲﾙ";

inline constexpr const char* MessageCaption = "Quillaro (ScreenSaver)";
inline constexpr const char* RendererMissingMessage = "Quillaro.dll が同じﾌｫﾙﾀﾞに見つかりません！";

inline constexpr int ExitQuietly = 0;
inline constexpr int ExitRendererMissing = 1;

// A form that keeps the program alive after Main has returned (the run form, the preview).
using LoadedForm = std::unique_ptr<QObject>;

// The units Main hands over to. Each may be left empty while its unit is not built yet.
struct Handovers {
    // Places the preview inside the given window; returns the preview form.
    std::function<LoadedForm(SaverServices&, std::int32_t previewHandle)> preview;
    // Shows the settings dialog modally and returns once it has closed.
    std::function<void(SaverServices&)> settingsDialog;
    // Loads the hidden run form, whose start-up prepares the picture, starts the renderer and
    // the music; returns the form, which ends the program itself when the run is over.
    std::function<LoadedForm(SaverServices&)> run;
};

// Runs the start-up: guard, mode letter, working folder, settings, renderer check, dispatch.
// Returns the form that keeps the program alive, or null once it has ended the program through
// services.end.
LoadedForm Main(SaverServices& services, const Handovers& handovers);

// The second character of the command line in upper case, or empty when there is none.
std::string ModeLetter(std::string_view commandLine);
// The preview window handle: the command line from its fourth character on, read leniently and
// rounded to a 32-bit integer; 0 when there is no number or it does not fit.
std::int32_t PreviewHandle(std::string_view commandLine);

// The cursor display counter kept by a run in mode S, for the run's teardown to pass back.
std::optional<std::int32_t>& CursorCount();

// Fills settings() from the settings file beside the program, with every default and fall-back.
void LoadSettings(const std::string& programFolder);

// One value of the settings file (at most 255 bytes), or empty when it is missing.
std::string ReadIniString(std::string_view section, std::string_view key, const std::string& file);
// Writes one value (section and key count up to 127 bytes); failures are not reported.
void WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::string& file);

// True when path (less one trailing '/') names a regular file that can be opened for reading.
bool FileExists(const std::string& path);
// The folder part of path: up to its last '/', that '/' dropped except for the root.
std::string ParentFolder(const std::string& path);

// programFolder + "/Quillaro.ini" and programFolder + "/Quillaro.dll"; empty when the program
// folder is unknown.
std::string SettingsFilePath(const std::string& programFolder);
std::string RendererPath(const std::string& programFolder);

} // namespace quillaro
