#include "SettingsFile.h"

#include "Conversions.h"
#include "ProfileString.h"
#include "RegularFile.h"
#include "Settings.h"
#include "Utf8.h"
#include "platform/ProgramInfo.h"

namespace quillaro {
namespace {

// The profile-string buffers, in characters with their closing NUL: a value keeps 255 characters,
// a section or key name 127.
constexpr std::size_t IniValueBufferSize = 256;
constexpr std::size_t IniNameBufferSize = 128;

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

} // namespace

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
    writePrivateProfileString(firstCharacters(section, IniNameBufferSize - 1),
                              firstCharacters(key, IniNameBufferSize - 1), value, file);
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

} // namespace quillaro
