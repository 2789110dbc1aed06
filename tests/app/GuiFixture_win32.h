#pragma once
// The fixtures of the end-to-end suite: Sonotag.exe in a folder of its own,
// with or without the stand-in host as the user's open InDesign.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "GuiDriver_win32.h"
#include "res/resource.h"

namespace sonotag::gui {

inline constexpr wchar_t kCs3[] = L"InDesign.Application.CS3";
inline constexpr wchar_t kCs4[] = L"InDesign.Application.CS4";

// The lesson fixture, before and after one run with the default settings
// (Unicode IPA, one blank, "\" on both sides) and the fixture word list.
inline constexpr char kLessonText[] = "apple is on the table";
inline constexpr char kAnnotatedLesson[] = "apple \\ˈæpl\\ is \\ɪz\\ on \\ɒn\\ the \\ðə\\ table \\ˈteɪbl\\";
inline constexpr wchar_t kCompletion[] = L"自动注音标完成！";

inline std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& letter : name) {
        if (letter == '/') letter = '-';  // parameterised tests
    }
    return name;
}

// The main window of `processId`: captioned "Sonotag" like the message
// boxes, but with the button "完成".
inline HWND WaitForMainWindowOf(DWORD processId, Duration timeout = kWindowTimeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : DialogsOf(processId, kMainCaption)) {
                if (IsWindowVisible(window) && GetDlgItem(window, IDC_FINISH)) found = window;
            }
            return found != nullptr;
        },
        timeout);
    return found;
}

// The keys as the program writes them with the default settings.
inline std::vector<std::wstring> DefaultConfigLines(const std::wstring& idver = kCs3) {
    return {L"[COM]",    L"IDVER=" + idver, L"CHARSTYLE=", L"FGF=S",
            L"SYML=\\", L"SYMR=\\",       L"YBVER=0",    L"UNICODE=1", L"LOOSE=1"};
}

class SonotagTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::make_unique<TestFolder>(CurrentTestName());
        folder_->copyProgram();
        folder_->copyDictionary(FixtureFolder() / "dictionary.txt");
    }

    // A test that failed half-way leaves neither Sonotag nor a host it
    // started behind for the next one.
    void TearDown() override {
        process_.reset();
        EXPECT_TRUE(EndStandInHosts()) << "a stand-in host does not end";
    }

    void Start() { process_.emplace(folder_->file("Sonotag.exe")); }
    DWORD pid() const { return process_->id(); }

    HWND WaitForVersionDialog() {
        HWND dialog = WaitForDialog(pid(), kVersionCaption);
        EXPECT_NE(dialog, nullptr) << "no version dialog";
        return dialog;
    }

    HWND WaitForMainWindow(Duration timeout = kWindowTimeout) {
        HWND found = WaitForMainWindowOf(pid(), timeout);
        EXPECT_NE(found, nullptr) << "no main window";
        return found;
    }

    // Starts the program and confirms the preselected version.
    HWND StartToMainWindow(Duration timeout = kWindowTimeout) {
        Start();
        HWND version = WaitForVersionDialog();
        if (!version) return nullptr;
        ClickButton(version, IDOK);
        return WaitForMainWindow(timeout);
    }

    // Starts the program and confirms `progId` in the version choice.
    HWND StartToMainWindowWith(const wchar_t* progId) {
        Start();
        HWND version = WaitForVersionDialog();
        if (!version) return nullptr;
        SendMessageW(GetDlgItem(version, IDC_VERSION_LIST), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(progId));
        ClickButton(version, IDOK);
        return WaitForMainWindow();
    }

    // Waits for the program to end by itself and gives its exit code.
    std::optional<DWORD> WaitForExit() { return process_->wait(20s); }

    // Presses 完成 and expects the program to end normally.
    void FinishAndExpectCleanExit(HWND main) {
        ClickButton(main, IDC_FINISH);
        EXPECT_EQ(WaitForExit(), 0u);
    }

    void ExpectSevenKeysWritten(const std::wstring& idver = kCs3) {
        EXPECT_EQ(ConfigLines(*folder_), DefaultConfigLines(idver));
    }

    std::unique_ptr<TestFolder> folder_;
    std::optional<Process> process_;
};

class SonotagWithHostTest : public SonotagTest {
protected:
    void SetUp() override {
        SonotagTest::SetUp();
        dump_ = folder_->file("document-after.json");
        StartHost(FixtureFolder() / "lesson.json");
    }

    // Starts the stand-in host on `document`; it writes the document to
    // dump_ when it is closed.
    void StartHost(const std::filesystem::path& document) {
        host_.reset();
        ASSERT_TRUE(EndStandInHosts()) << "an earlier stand-in host does not end";
        host_.emplace(document, dump_);
        ASSERT_TRUE(host_->ready()) << "the stand-in host did not start";
    }

    // Closes the host and reads the document it wrote.
    nlohmann::json DocumentAfter() {
        EXPECT_TRUE(host_->close()) << "the stand-in host did not end cleanly";
        std::ifstream in(dump_, std::ios::binary);
        return nlohmann::json::parse(in, nullptr, false);
    }

    static std::string StoryText(const nlohmann::json& document) {
        if (!document.is_object() || !document.contains("stories") || document["stories"].empty()) return {};
        return document["stories"][0].value("text", std::string());
    }

    static std::vector<nlohmann::json> Runs(const nlohmann::json& document) {
        if (!document.is_object() || !document.contains("stories") || document["stories"].empty()) return {};
        const auto& story = document["stories"][0];
        if (!story.contains("runs")) return {};
        return std::vector<nlohmann::json>(story["runs"].begin(), story["runs"].end());
    }

    // Presses "开始注音标>>" and dismisses the completion message.
    void AnnotateAndExpectCompletion(HWND main) {
        ClickButton(main, IDC_ANNOTATE);
        const auto box = WaitForMessageBox(pid(), 60s);
        ASSERT_TRUE(box.has_value()) << "no message after the annotation run";
        EXPECT_EQ(box->text, kCompletion);
        EXPECT_EQ(box->icon, BoxIcon::Exclamation);
        Dismiss(*box);
        // The run enables its button once the box has returned.
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_ANNOTATE)) != FALSE; }));
    }

    std::filesystem::path dump_;
    std::optional<StandIn> host_;
};

}  // namespace sonotag::gui
