// The settings dialog's data without a host attached; the style list of a
// document is tested against the stand-in host.

#include "app/SettingsDialogData.h"

#include <memory>

#include <gtest/gtest.h>

#include "host/AutomationError.h"

namespace sonotag::settings {
namespace {

// A style resolved earlier: only its identity matters here.
class EarlierStyle : public host::HostObject {
public:
    host::Value invoke(host::DispatchId, host::InvokeKind, std::span<const host::Value>, host::ValueType) override {
        throw host::AutomationError(host::kUnspecifiedFailure);
    }
};

AnnotationSettings Saved() {
    AnnotationSettings s;
    s.characterStyleName = u":Phonetics";
    s.separator = u" ";
    s.leftSymbol = u"[";
    s.rightSymbol = u"]";
    s.ipaVersion = 0;
    s.useUnicode = false;
    return s;
}

TEST(SettingsDialogOpening, FillsEveryControlFromTheRecord) {
    const SettingsDialogControls controls = InitialDialogControls(Saved(), nullptr);
    EXPECT_EQ(controls.version, u"新版国际音标(IPA14)");
    EXPECT_EQ(controls.separator, u" ");
    EXPECT_EQ(controls.leftSymbol, u"[");
    EXPECT_EQ(controls.rightSymbol, u"]");
    EXPECT_FALSE(controls.useUnicode);
    EXPECT_TRUE(controls.styleEntries.empty());
    EXPECT_FALSE(controls.chosenStyle);
}

TEST(SettingsDialogOpening, AnyOtherVersionShowsTheOlderNotation) {
    for (const std::int32_t version : {1, 2, -1}) {
        AnnotationSettings s = Saved();
        s.ipaVersion = version;
        EXPECT_EQ(InitialDialogControls(s, nullptr).version, u"旧版国际音标(IPA13)") << version;
    }
}

TEST(SettingsDialogOpening, WithoutHostTheStyleFieldShowsTheSavedPath) {
    EXPECT_EQ(InitialDialogControls(Saved(), nullptr).styleText, u":Phonetics");
    AnnotationSettings none = Saved();
    none.characterStyleName.clear();
    EXPECT_EQ(InitialDialogControls(none, nullptr).styleText, u"");
}

TEST(SettingsDialogOk, WithoutHostKeepsTheStyleNameAndTheResolvedStyle) {
    AnnotationSettings s = Saved();
    const host::ObjectRef earlier = std::make_shared<EarlierStyle>();
    host::ObjectRef style = earlier;
    AcceptDialogControls(InitialDialogControls(s, nullptr), s, nullptr, style);
    EXPECT_EQ(s, Saved());
    EXPECT_EQ(style, earlier);
}

TEST(SettingsDialogOk, TakesEveryControlExactly) {
    AnnotationSettings s = Saved();
    host::ObjectRef style;
    SettingsDialogControls controls = InitialDialogControls(s, nullptr);
    controls.version = u"旧版国际音标(IPA13)";
    controls.separator = u"\t";
    controls.leftSymbol = u" /";
    controls.rightSymbol = u"/ ";
    controls.useUnicode = true;
    controls.styleText = u"typed";
    AcceptDialogControls(controls, s, nullptr, style);
    EXPECT_EQ(s.ipaVersion, 1);
    EXPECT_EQ(s.separator, u"\t");
    EXPECT_EQ(s.leftSymbol, u" /");
    EXPECT_EQ(s.rightSymbol, u"/ ");
    EXPECT_TRUE(s.useUnicode);
    EXPECT_EQ(s.characterStyleName, u"typed");
}

TEST(SettingsDialogOk, VersionIsNewerOnlyForItsOwnEntry) {
    const struct {
        std::u16string version;
        std::int32_t stored;
    } cases[] = {{u"新版国际音标(IPA14)", 0}, {u"旧版国际音标(IPA13)", 1}, {u"", 1}, {u"新版国际音标", 1}};
    for (const auto& c : cases) {
        AnnotationSettings s = Saved();
        s.ipaVersion = 2;
        host::ObjectRef style;
        SettingsDialogControls controls = InitialDialogControls(s, nullptr);
        controls.version = c.version;
        AcceptDialogControls(controls, s, nullptr, style);
        EXPECT_EQ(s.ipaVersion, c.stored);
    }
}

TEST(SettingsDialogOk, IpaVersionTwoIsStoredAsOne) {
    AnnotationSettings s = Saved();
    s.ipaVersion = 2;
    host::ObjectRef style;
    AcceptDialogControls(InitialDialogControls(s, nullptr), s, nullptr, style);
    EXPECT_EQ(s.ipaVersion, 1);
}

TEST(SettingsDialogOk, NoStyleTextsClearTheStyleWithoutAHost) {
    for (const std::u16string text : {u"", u":", u":[无]"}) {
        AnnotationSettings s = Saved();
        host::ObjectRef style = std::make_shared<EarlierStyle>();
        SettingsDialogControls controls = InitialDialogControls(s, nullptr);
        controls.styleText = text;
        AcceptDialogControls(controls, s, nullptr, style);
        EXPECT_FALSE(style);
        EXPECT_EQ(s.characterStyleName, text);
    }
}

TEST(FindStyleEntry, MatchesTheWholePathWithoutCase) {
    const std::vector<std::u16string> entries{u":AB", u":a", u":G:A", u":A", u":音标"};
    EXPECT_EQ(FindStyleEntry(entries, u":A"), 3u);  // its own spelling first
    EXPECT_EQ(FindStyleEntry(entries, u":g:a"), 2u);
    EXPECT_EQ(FindStyleEntry(entries, u":ab"), 0u);
    EXPECT_EQ(FindStyleEntry(entries, u":音标"), 4u);
    EXPECT_FALSE(FindStyleEntry(entries, u":"));
    EXPECT_FALSE(FindStyleEntry(entries, u":G"));
    EXPECT_FALSE(FindStyleEntry({u":AB"}, u":A"));
}

}  // namespace
}  // namespace sonotag::settings
