#include "Lumivane_B.h"

#include "AsciiCase.h"
#include "Conversions.h"
#include "HandoffPath.h"
#include "ProfileString.h"
#include "RegularFile.h"
#include "Settings.h"

namespace quillaro {
namespace {

constexpr std::size_t IniValueBufferSize = 256;
constexpr std::size_t IniNameBufferSize = 128;
constexpr std::size_t PreviewHandleStart = 4; // "/p N": the number starts at the fourth character

// The byte offset of the n-th character (counting from 1) of UTF-8 text; a byte that does not
// belong to a well-formed character counts as one character of its own.
std::size_t characterOffset(std::string_view text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t count = 1; count < n && pos < text.size(); ++count) {
        auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                                                           : 1;
        std::size_t next = pos + 1;
        while (next < pos + length && next < text.size() &&
               (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        pos = (next == pos + length) ? next : pos + 1;
    }
    return std::min(pos, text.size());
}

// An unknown program folder gives no path at all, never one in the root folder.
std::string joinPath(const std::string& folder, const char* name) {
    if (folder.empty())
        return {};
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// Reads an integer field the loader's way: empty text gives 0; text that is not a number, or
// whose integer part does not fit 16 bits, leaves the field as it was.
void readInt16Field(const std::string& text, std::int16_t& field) {
    if (text.empty()) {
        field = 0;
        return;
    }
    if (auto number = parseNumber(text))
        if (auto whole = roundToInt16(integerPart(*number)))
            field = *whole;
}

LoadedForm endHere(SaverServices& services, int exitCode) {
    services.end.endProgram(exitCode);
    return nullptr;
}

// A form that a unit handed back keeps the program alive; none means nothing will end it.
LoadedForm keepOrEnd(SaverServices& services, LoadedForm form) {
    if (!form)
        services.end.endProgram(ExitQuietly);
    return form;
}

} // namespace

std::string ModeLetter(std::string_view commandLine) {
    std::size_t second = characterOffset(commandLine, 2);
    if (second >= commandLine.size())
        return {};
    std::size_t third = characterOffset(commandLine, 3);
    std::string letter(commandLine.substr(second, third - second));
    return asciiUpper(letter);
}

std::int32_t PreviewHandle(std::string_view commandLine) {
    auto value = valueOf(commandLine.substr(characterOffset(commandLine, PreviewHandleStart)));
    if (!value)
        return 0;
    return roundToInt32(*value).value_or(0);
}

std::optional<std::int32_t>& CursorCount() {
    static std::optional<std::int32_t> counter;
    return counter;
}

LoadedForm Main(SaverServices& services, const Handovers& handovers) {
    // Another instance's run form or settings dialog: leave it alone. Both are looked up.
    bool runUp = services.windows.findWindow(RunFormTitle) != 0;
    bool dialogUp = services.windows.findWindow(SettingsDialogTitle) != 0;
    if (runUp || dialogUp)
        return endHere(services, ExitQuietly);

    const std::string& commandLine = services.program.commandLine;
    const std::string mode = ModeLetter(commandLine);

    if (mode == "P") {
        std::int32_t handle = PreviewHandle(commandLine);
        if (!handovers.preview)
            return endHere(services, ExitQuietly);
        return keepOrEnd(services, handovers.preview(services, handle));
    }

    // A folder that cannot be made is no reason to stop: writing the picture fails later.
    services.folders.createPrivateFolder(workingFolder());
    LoadSettings(services.program.folder);

    if (!FileExists(RendererPath(services.program.folder))) {
        services.messages.showMessage(MessageCaption, RendererMissingMessage);
        return endHere(services, ExitRendererMissing);
    }

    if (mode == "C") {
        if (handovers.settingsDialog)
            handovers.settingsDialog(services);
        return endHere(services, ExitQuietly);
    }

    if (mode != "S" && !commandLine.empty())
        return endHere(services, ExitQuietly);

    // Only a run started as /s hides the cursor; its teardown gives it back.
    if (mode == "S")
        CursorCount() = services.cursor.showCursor(false);

    if (!handovers.run)
        return endHere(services, ExitQuietly);
    return keepOrEnd(services, handovers.run(services));
}

void LoadSettings(const std::string& programFolder) {
    Settings& s = settings();
    const std::string file = SettingsFilePath(programFolder);

    std::string capture = ReadIniString(SettingsSection, KeyCapture, file);
    if (capture.empty()) {
        s.Capture = "1";
    } else if (auto number = parseNumber(capture)) {
        s.Capture = wholeNumberText(integerPart(*number));
    }

    s.ImageFolder = programFolder;
    std::string image = ReadIniString(SettingsSection, KeyImageFile, file);
    if (image.empty()) {
        s.ImageFile.clear();
        s.Capture = "0";
    } else {
        s.ImageFile = image;
        if (FileExists(s.ImageFile)) {
            s.ImageFolder = ParentFolder(s.ImageFile);
        } else {
            s.ImageFile.clear();
            s.Capture = "0";
        }
    }

    readInt16Field(ReadIniString(SettingsSection, KeyBgmKind, file), s.BgmKind);
    readInt16Field(ReadIniString(SettingsSection, KeyBgmRepeat, file), s.BgmRepeat);

    std::string music = ReadIniString(SettingsSection, KeyBgmFile, file);
    s.BgmFile = music;
    if (!s.BgmFile.empty() && !FileExists(s.BgmFile))
        s.BgmFile.clear();
    if (s.BgmFile.empty() && s.BgmKind == 2)
        s.BgmKind = 0;

    s.BgmFolder = s.BgmFile.empty() ? programFolder : ParentFolder(s.BgmFile);
}

std::string ReadIniString(std::string_view section, std::string_view key, const std::string& file) {
    std::string value = getPrivateProfileString(section, key, "", IniValueBufferSize, file);
    return value.substr(0, value.find('\0'));
}

void WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::string& file) {
    writePrivateProfileString(section.substr(0, IniNameBufferSize - 1),
                              key.substr(0, IniNameBufferSize - 1), value, file);
}

bool FileExists(const std::string& path) {
    std::string name = path;
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    return RegularFile::open(name).has_value();
}

std::string ParentFolder(const std::string& path) {
    std::size_t last = path.rfind('/');
    if (last == std::string::npos)
        return {};
    std::string folder = path.substr(0, last + 1);
    if (folder.size() > 1)
        folder.pop_back();
    return folder;
}

std::string SettingsFilePath(const std::string& programFolder) {
    return joinPath(programFolder, SettingsFileName);
}

std::string RendererPath(const std::string& programFolder) {
    return joinPath(programFolder, RendererFileName);
}

} // namespace quillaro
