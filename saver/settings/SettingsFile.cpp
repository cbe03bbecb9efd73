#include "SettingsFile.h"

#include "Conversions.h"
#include "ProfileString.h"
#include "Settings.h"
#include "SettingsLocation.h"
#include "common/RegularFile.h"
#include "common/Utf8.h"
#include "platform/Notices.h"
#include "platform/ProgramInfo.h"

#include <filesystem>
#include <system_error>
#include <vector>

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

// Why no settings could be read from file, if that is so: a line for the verbose report. Looked
// at only when that report is asked for, so a normal start does not touch the file twice.
void reportSettingsFileProblem(const std::string& file) {
    std::error_code error;
    if (file.empty())
        reportFallback("the program's folder is unknown, so the settings are the defaults");
    else if (!std::filesystem::exists(file, error))
        reportFallback("no settings file at " + file + "; the settings are the defaults");
    else if (!FileExists(file))
        reportFallback("the settings file " + file +
                       " cannot be read; the settings are the defaults");
}

} // namespace

void LoadSettings(const std::string& programFolder) {
    Settings& s = settings();
    const std::string file = locateSettings(programFolder).readFile;
    if (reportsFallbacks())
        reportSettingsFileProblem(file);

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
            reportFallback("the picture " + s.ImageFile +
                           " cannot be opened; the desktop is shown instead");
            s.ImageFile.clear();
            s.Capture = "0";
        }
    }

    readInt16Field(ReadIniString(SettingsSection, KeyBgmKind, file), s.BgmKind);
    readInt16Field(ReadIniString(SettingsSection, KeyBgmRepeat, file), s.BgmRepeat);

    std::string music = ReadIniString(SettingsSection, KeyBgmFile, file);
    s.BgmFile = music;
    if (!s.BgmFile.empty() && !FileExists(s.BgmFile)) {
        reportFallback("the music file " + s.BgmFile + " cannot be opened; it is not played");
        s.BgmFile.clear();
    }
    if (s.BgmFile.empty() && s.BgmKind == Settings::BgmKindFile)
        s.BgmKind = Settings::BgmKindNone;

    s.BgmFolder = s.BgmFile.empty() ? programFolder : ParentFolder(s.BgmFile);
}

std::string ReadIniString(std::string_view section, std::string_view key, const std::string& file) {
    std::string value = getPrivateProfileString(section, key, "", IniValueBufferSize, file);
    return value.substr(0, value.find('\0'));
}

void WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::string& file) {
    const IniEntry entry{key, value};
    static_cast<void>(WriteIniStrings(section, {&entry, 1}, file));
}

Result<void, SystemError> WriteIniStrings(std::string_view section,
                                          std::span<const IniEntry> entries,
                                          const std::string& file) {
    std::vector<ProfileEntry> cut;
    cut.reserve(entries.size());
    for (const IniEntry& entry : entries)
        cut.push_back({firstCharacters(entry.key, IniNameBufferSize - 1), entry.value});
    return writePrivateProfileStrings(firstCharacters(section, IniNameBufferSize - 1), cut, file);
}

bool FileExists(const std::string& path) {
    std::string name = path;
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    return RegularFile::open(name).ok();
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
