#include "settings/SettingsFile.h"

#include "base/Paths.h"
#include "base/StylePath.h"
#include "settings/IniText.h"

namespace sonotag::settings {
namespace {

constexpr char16_t kSpaceCode[] = u"S";
constexpr char16_t kTabCode[] = u"T";

std::u16string ReadText(const ProfileFile& file, const char16_t* name, const char16_t* defaultText) {
    return file.readString(kSettingsSection, name, defaultText);
}

void WriteText(const ProfileFile& file, const char16_t* name, std::u16string_view value) {
    file.writeString(kSettingsSection, name, ProtectedValue(value));
}

}  // namespace

bool SwitchFromStored(std::u16string_view stored) {
    const std::u16string_view value = TrimProfileBlanks(stored);
    for (const char16_t* off : {u"0", u"off", u"no", u"false", u"disabled"}) {
        if (EqualIgnoringCase(value, off)) return false;
    }
    return true;
}

std::u16string ConfigFilePath(const std::u16string& programFolder) { return JoinPath(programFolder, u"config.ini"); }

AnnotationSettings ReadSettings(const ProfileFile& file) {
    AnnotationSettings settings;
    settings.hostProgId = ReadText(file, key::kHostProgId, kDefaultHostProgId);
    settings.characterStyleName = ReadText(file, key::kCharacterStyle, u"");
    // The space's own code as the default: a missing key gives one space
    // even where the profile functions would drop a default's trailing blank.
    settings.separator = SeparatorFromStored(ReadText(file, key::kSeparator, kSpaceCode));
    settings.leftSymbol = ReadText(file, key::kLeftSymbol, u"\\");
    settings.rightSymbol = ReadText(file, key::kRightSymbol, u"\\");
    settings.notation.ipaVersion =
        static_cast<std::int32_t>(file.readUnsigned(kSettingsSection, key::kIpaVersion, 0, 10));
    settings.notation.useUnicode = file.readBool(kSettingsSection, key::kUseUnicode, true);
    settings.loose = SwitchFromStored(ReadText(file, key::kLoose, u""));
    return settings;
}

AnnotationSettings ReadSettings(const std::u16string& configPath) { return ReadSettings(ProfileFile(configPath)); }

void SaveSettings(const std::u16string& configPath, const AnnotationSettings& settings) {
    const ProfileFile file(configPath);
    WriteText(file, key::kHostProgId, settings.hostProgId);
    // ":[无]" is the host's own "no style": stored as no style at all.
    WriteText(file, key::kCharacterStyle,
              settings.characterStyleName == kNoStylePath ? u"" : settings.characterStyleName);
    WriteText(file, key::kSeparator, StoredSeparator(settings.separator));
    WriteText(file, key::kLeftSymbol, settings.leftSymbol);
    WriteText(file, key::kRightSymbol, settings.rightSymbol);
    file.writeInt(kSettingsSection, key::kIpaVersion, settings.notation.ipaVersion, 10);
    file.writeBool(kSettingsSection, key::kUseUnicode, settings.notation.useUnicode);
    file.writeBool(kSettingsSection, key::kLoose, settings.loose);
}

std::u16string StoredSeparator(const std::u16string& separator) {
    if (separator == u" ") return kSpaceCode;
    if (separator == u"\t") return kTabCode;
    return separator;
}

std::u16string SeparatorFromStored(const std::u16string& stored) {
    if (stored == kSpaceCode) return u" ";
    if (stored == kTabCode) return u"\t";
    return stored;
}

std::u16string ProtectedValue(std::u16string_view value) {
    const bool blankAtAnEnd = !value.empty() && (IsProfileBlank(value.front()) || IsProfileBlank(value.back()));
    const bool quotedItself =
        value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    if (!blankAtAnEnd && !quotedItself) return std::u16string(value);
    std::u16string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back(u'"');
    quoted.append(value);
    quoted.push_back(u'"');
    return quoted;
}

}  // namespace sonotag::settings
