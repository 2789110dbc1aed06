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

// One key of section COM: how it is read into the settings and written from them.
struct Key {
    const char16_t* name;
    void (*read)(const ProfileFile& file, const char16_t* name, AnnotationSettings& settings);
    void (*write)(const ProfileFile& file, const char16_t* name, const AnnotationSettings& settings);
};

// The keys in the order they are written: the seven the window has always
// written, then those added since. A new setting is one row here.
const Key kKeys[] = {
    {u"IDVER",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.hostProgId = ReadText(f, n, kDefaultHostProgId);
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) { WriteText(f, n, s.hostProgId); }},
    // ":[无]" is the host's own "no style": stored as no style at all.
    {u"CHARSTYLE",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) { s.characterStyleName = ReadText(f, n, u""); },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         WriteText(f, n, s.characterStyleName == kNoStylePath ? u"" : s.characterStyleName);
     }},
    // The space's own code as the default: a missing key gives one space
    // even where the profile functions would drop a default's trailing blank.
    {u"FGF",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.separator = SeparatorFromStored(ReadText(f, n, kSpaceCode));
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         WriteText(f, n, StoredSeparator(s.separator));
     }},
    {u"SYML",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) { s.leftSymbol = ReadText(f, n, u"\\"); },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) { WriteText(f, n, s.leftSymbol); }},
    {u"SYMR",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) { s.rightSymbol = ReadText(f, n, u"\\"); },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) { WriteText(f, n, s.rightSymbol); }},
    {u"YBVER",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.notation.ipaVersion = static_cast<std::int32_t>(f.readUnsigned(kSettingsSection, n, 0, 10));
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         f.writeInt(kSettingsSection, n, s.notation.ipaVersion, 10);
     }},
    {u"UNICODE",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.notation.useUnicode = f.readBool(kSettingsSection, n, true);
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         f.writeBool(kSettingsSection, n, s.notation.useUnicode);
     }},
    {u"LOOSE",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.loose = SwitchFromStored(ReadText(f, n, u""));
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         f.writeBool(kSettingsSection, n, s.loose);
     }},
    {u"HOMOGRAPHS",
     [](const ProfileFile& f, const char16_t* n, AnnotationSettings& s) {
         s.homographs = SwitchFromStored(ReadText(f, n, u""));
     },
     [](const ProfileFile& f, const char16_t* n, const AnnotationSettings& s) {
         f.writeBool(kSettingsSection, n, s.homographs);
     }},
};

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
    for (const Key& key : kKeys) key.read(file, key.name, settings);
    return settings;
}

AnnotationSettings ReadSettings(const std::u16string& configPath) { return ReadSettings(ProfileFile(configPath)); }

void SaveSettings(const std::u16string& configPath, const AnnotationSettings& settings) {
    const ProfileFile file(configPath);
    for (const Key& key : kKeys) key.write(file, key.name, settings);
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
