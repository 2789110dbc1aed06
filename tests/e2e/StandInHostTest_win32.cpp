// The stand-in host as another process, reached through the COM binding the
// way Sonotag reaches the real host: registered under two of the host's
// ProgIDs (a set-up step of the test suite), attached with AttachHost,
// driven by dispatch code.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "dictionary/Utf.h"
#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"
#include "standin/ControlCodes.h"
#include "standin/LocalServer_win32.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/TestFiles.h"

namespace sonotag::standin {
namespace {

using host::AutomationError;
using host::HostConnection;
using host::InvokeKind;
using host::ObjectRef;
using host::Value;
using host::ValueType;
namespace code = host::code;

constexpr char16_t kCS2[] = u"InDesign.Application.CS2";
constexpr char16_t kCS3[] = u"InDesign.Application.CS3";
constexpr char16_t kCS4[] = u"InDesign.Application.CS4";
constexpr char16_t kCS5[] = u"InDesign.Application.CS5";

// Every wait is bounded; a host that does not answer in time fails the test.
constexpr DWORD kStartTimeout = 30'000;
constexpr DWORD kEndTimeout = 15'000;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::wstring Wide(const std::u16string& text) { return std::wstring(reinterpret_cast<const wchar_t*>(text.c_str())); }

std::u16string FixturePath(const std::string& name) {
    const std::string path = std::string(SONOTAG_FIXTURES) + "/e2e/" + name;
    return std::u16string(path.begin(), path.end());
}

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Waits until no stand-in host runs: its instance mutex is free or gone.
bool WaitForHostToEnd(DWORD timeout) {
    const Handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    if (!mutex.get()) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const DWORD waited = WaitForSingleObject(mutex.get(), timeout);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
    ReleaseMutex(mutex.get());
    return true;
}

bool HostIsRunning() {
    const Handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return mutex.get() != nullptr;
}

// standin-host.exe started by hand, like an application the user opened.
// It is closed (or, failing that, ended) when the object goes.
class HandStartedHost {
public:
    explicit HandStartedHost(const std::wstring& arguments) {
        ready_ = Handle(CreateEventW(nullptr, TRUE, FALSE, kReadyEventName));
        ResetEvent(ready_.get());
        std::wstring commandLine = L"\"" + Wide(SONOTAG_STANDIN_HOST) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &started)) {
            ADD_FAILURE() << "standin-host.exe did not start: error " << GetLastError();
            return;
        }
        CloseHandle(started.hThread);
        process_ = Handle(started.hProcess);
    }
    HandStartedHost(const HandStartedHost&) = delete;
    HandStartedHost& operator=(const HandStartedHost&) = delete;
    ~HandStartedHost() {
        if (process_.get() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            close();
            if (WaitForSingleObject(process_.get(), kEndTimeout) == WAIT_TIMEOUT) kill();
        }
    }

    // True once the host serves clients; false when it ended or did not answer in time.
    bool waitUntilReady() const {
        if (!process_.get()) return false;
        const HANDLE handles[] = {ready_.get(), process_.get()};
        return WaitForMultipleObjects(2, handles, FALSE, kStartTimeout) == WAIT_OBJECT_0;
    }
    // Closes the host's window as a user closes an application.
    void close() const {
        if (const HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, nullptr))
            PostMessageW(window, WM_CLOSE, 0, 0);
    }
    void kill() const {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), kEndTimeout);
    }
    // The exit status, once the host has ended within the timeout; STILL_ACTIVE otherwise.
    DWORD waitForExit() const {
        WaitForSingleObject(process_.get(), kEndTimeout);
        DWORD status = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &status);
        return status;
    }

private:
    Handle ready_;
    Handle process_;
};

// A private control operation of the stand-in's application object.
Value Control(const ObjectRef& application, host::DispatchId id, std::vector<Value> arguments = {},
              ValueType resultType = ValueType::Any) {
    return host::Required(application)->invoke(id, InvokeKind::Method, arguments, resultType);
}

nlohmann::json DumpedDocument(const ObjectRef& application) {
    return nlohmann::json::parse(
        Utf16ToUtf8(Control(application, control::kDumpDocumentJson, {}, ValueType::Text).text()));
}

AutomationError ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error;
    }
    ADD_FAILURE() << "no automation error";
    return AutomationError(host::kOk);
}

class StandInHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment.isInitialised());
        ASSERT_TRUE(WaitForHostToEnd(kEndTimeout)) << "a stand-in host of an earlier test still runs";
    }

    host::OleApartment apartment;
};

TEST_F(StandInHostTest, RegisteredUnderCS3AndCS4Only) {
    CLSID classId{};
    ASSERT_EQ(CLSIDFromProgID(L"InDesign.Application.CS3", &classId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(classId, kApplicationClassIdCS3));
    ASSERT_EQ(CLSIDFromProgID(L"InDesign.Application.CS4", &classId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(classId, kApplicationClassIdCS4));
    EXPECT_TRUE(FAILED(CLSIDFromProgID(L"InDesign.Application.CS2", &classId)));
    EXPECT_TRUE(FAILED(CLSIDFromProgID(L"InDesign.Application.CS5", &classId)));
}

TEST_F(StandInHostTest, VersionNotInstalledLeavesTheConnectionEmpty) {
    HostConnection connection;
    AttachHost(kCS2, connection);
    EXPECT_FALSE(connection.isAttached());
    AttachHost(kCS5, connection);
    EXPECT_FALSE(connection.isAttached());
    const AutomationError error = ErrorOf([&] { host::GetObject(connection.application(), code::kActiveDocument); });
    EXPECT_EQ(error.result(), host::kInvalidPointer);
    EXPECT_FALSE(HostIsRunning());
}

// The calls of one annotation step, made by hand: the last word of the
// selected text gets its transcription, set in the phonetic font and style.
TEST_F(StandInHostTest, AnnotationStepThroughTheBinding) {
    const test::ScratchFolder folder;
    const std::u16string saved = folder.programPath("saved.json");
    HandStartedHost started(L"--document \"" + Wide(FixturePath("annotation-step.json")) +
                            L"\" --save-on-exit \"" + Wide(saved) + L"\"");
    ASSERT_TRUE(started.waitUntilReady());
    HostConnection connection;
    AttachHost(kCS3, connection);
    ASSERT_TRUE(connection.isAttached());
    const ObjectRef& application = connection.application();
    EXPECT_FALSE(host::IsInProcess(host::DispatchOf(application)));
    {
        const ObjectRef document = host::Required(host::GetObject(application, code::kActiveDocument));
        const std::int32_t undoBefore = host::Get(document, code::kUndoHistory).array().upperBound;

        const ObjectRef selection = host::Get(application, code::kSelection).object();
        ASSERT_EQ(host::GetInteger(selection, code::kCount), 1);
        const ObjectRef text = host::CallForObject(selection, code::kFirst);
        const ObjectRef words = host::GetObject(text, code::kWords);
        const std::int32_t wordCount = host::GetInteger(words, code::kCount);
        ASSERT_EQ(wordCount, 4);
        const ObjectRef word = host::Item(words, wordCount);
        EXPECT_EQ(host::GetText(word, code::kContents), u"pie.");

        const ObjectRef insertionPoints = host::GetObject(word, code::kInsertionPoints);
        EXPECT_EQ(host::GetInteger(insertionPoints, code::kCount), 5);
        host::Put(host::CallForObject(insertionPoints, code::kLast), code::kContents, Value(u" [paɪ]"));

        const ObjectRef characters = host::GetObject(word, code::kCharacters);
        ASSERT_EQ(host::GetInteger(characters, code::kCount), 10);
        const ObjectRef style = host::Item(host::GetObject(document, code::kCharacterStyles), u"Phonetics");
        for (std::int32_t position = 7; position <= 9; ++position) {
            const ObjectRef character = host::Item(characters, position);
            host::Put(character, code::kAppliedFont, Value(u"Lucida Sans Unicode"));
            host::Put(character, code::kAppliedCharacterStyle, Value(style));
        }
        EXPECT_EQ(host::Get(document, code::kUndoHistory).array().upperBound, undoBefore + 7);
    }
    // Every object the step took is released again across the process border.
    EXPECT_EQ(Control(application, control::kLiveObjects, {}, ValueType::Integer).integer(), 0);

    const nlohmann::json document = DumpedDocument(application);
    EXPECT_EQ(document["stories"][0]["text"], "I like apple, pie. [paɪ]");
    EXPECT_EQ(document["stories"][0]["runs"],
              nlohmann::json::parse(R"([{"start": 20, "length": 3, "font": "Lucida Sans Unicode",
                                         "characterStyle": ":Phonetics"}])"));
    EXPECT_EQ(document["undoHistory"].size(), 7u);

    connection.release();
    started.close();
    EXPECT_EQ(started.waitForExit(), 0u);
    std::ifstream savedFile{std::filesystem::path(saved)};
    ASSERT_TRUE(savedFile.good());
    EXPECT_EQ(nlohmann::json::parse(savedFile), document);
}

// The annotation run and its removal through COM do to the document exactly
// what they do to the stand-in in-process.
TEST_F(StandInHostTest, AnnotationAndRemovalMatchTheInProcessRun) {
    PhoneticDictionary dictionary;
    for (const char16_t* line : {u"I||ai", u"like||laik", u"pie.||pai"}) dictionary.addLine(line);
    settings::AnnotationSettings chosen;
    chosen.leftSymbol = u"[";
    chosen.rightSymbol = u"]";

    standin::StandInHost inProcess;
    inProcess.loadDocumentFile(FixturePath("annotation-step.json"));
    const std::string original = inProcess.dumpDocumentJson();
    std::int32_t inProcessMark = kInitialUndoMark;
    test::RecordingUi inProcessUi;
    const ObjectRef style = host::Item(
        host::GetObject(host::GetObject(inProcess.application(), code::kActiveDocument), code::kCharacterStyles),
        u"Phonetics");
    AnnotateSelection(test::AttachedState(inProcess.application(), chosen, style), dictionary, inProcessMark,
                      inProcessUi);

    std::wstring arguments = L"--document \"";
    arguments += Wide(FixturePath("annotation-step.json"));
    arguments += L"\"";
    HandStartedHost started(arguments);
    ASSERT_TRUE(started.waitUntilReady());
    HostConnection connection;
    AttachHost(kCS3, connection);
    ASSERT_TRUE(connection.isAttached());
    std::int32_t mark = kInitialUndoMark;
    test::RecordingUi ui;
    {
        const ObjectRef remoteStyle = host::Item(
            host::GetObject(host::GetObject(connection.application(), code::kActiveDocument),
                            code::kCharacterStyles),
            u"Phonetics");
        AnnotateSelection(test::AttachedState(connection.application(), chosen, remoteStyle), dictionary, mark, ui);
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCompletionMessage);
    EXPECT_EQ(DumpedDocument(connection.application()), nlohmann::json::parse(inProcess.dumpDocumentJson()));
    EXPECT_EQ(mark, inProcessMark);

    test::RecordingSink sink;
    RemoveAnnotations(connection.application(), mark, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(DumpedDocument(connection.application()), nlohmann::json::parse(original));
    EXPECT_EQ(Control(connection.application(), control::kLiveObjects, {}, ValueType::Integer).integer(), 0);
    connection.release();
}

TEST_F(StandInHostTest, FailingCallArrivesAsOneAutomationError) {
    HandStartedHost started(L"--document \"" + Wide(FixturePath("annotation-step.json")) + L"\"");
    ASSERT_TRUE(started.waitUntilReady());
    HostConnection connection;
    AttachHost(kCS3, connection);
    ASSERT_TRUE(connection.isAttached());
    const ObjectRef& application = connection.application();

    // The second call from now fails with the host's exception code 5.
    Control(application, control::kFailCall,
            {Value(2), Value(5), Value(0), Value(kErrorSource), Value(u"The second call fails.")});
    const ObjectRef document = host::GetObject(application, code::kActiveDocument);
    AutomationError error = ErrorOf([&] { host::GetObject(document, code::kCharacterStyles); });
    EXPECT_EQ(error.result(), host::MakeHResult(0x80040205));
    EXPECT_EQ(error.source(), std::u16string(kErrorSource));
    EXPECT_EQ(error.description(), u"The second call fails.");
    EXPECT_EQ(FormatErrorReport(error), u"发生错误:Stand-in host,原因:IDispatch error #5,描述:The second call fails.!");

    // The next one with a result code; the call after it works again.
    Control(application, control::kFailCall,
            {Value(1), Value(0), Value(host::kUnspecifiedFailure), Value(kErrorSource), Value(u"No luck.")});
    error = ErrorOf([&] { host::GetObject(document, code::kCharacterStyles); });
    EXPECT_EQ(error.result(), host::kUnspecifiedFailure);
    EXPECT_EQ(error.description(), u"No luck.");
    EXPECT_NE(host::GetObject(document, code::kCharacterStyles), nullptr);

    // The model's own failure: no such word.
    const ObjectRef words =
        host::GetObject(host::CallForObject(host::Get(application, code::kSelection).object(), code::kFirst),
                        code::kWords);
    error = ErrorOf([&] { host::Item(words, 99); });
    EXPECT_TRUE(error.hasErrorInfo());
    EXPECT_EQ(error.source(), std::u16string(kErrorSource));
    EXPECT_TRUE(error.description().has_value());
}

TEST_F(StandInHostTest, SecondLaunchStopsAtOnce) {
    HandStartedHost first(L"");
    ASSERT_TRUE(first.waitUntilReady());
    const HandStartedHost second(L"");
    EXPECT_EQ(second.waitForExit(), 3u);
}

TEST_F(StandInHostTest, UnreadableDocumentEndsTheHostWithAFailure) {
    const HandStartedHost started(L"--document \"Z:/nonexistent/no-such-document.json\"");
    EXPECT_FALSE(started.waitUntilReady());
    EXPECT_EQ(started.waitForExit(), 1u);
}

// Started by COM, the host serves every client from one state and ends when
// the last one lets go.
TEST_F(StandInHostTest, ComStartedHostIsSharedAndEndsAfterItsLastClient) {
    HostConnection first;
    HostConnection second;
    AttachHost(kCS4, first);
    ASSERT_TRUE(first.isAttached());
    AttachHost(kCS3, second);
    ASSERT_TRUE(second.isAttached());
    EXPECT_TRUE(HostIsRunning());

    Control(first.application(), control::kLoadDocumentFile, {Value(FixturePath("annotation-step.json"))});
    EXPECT_EQ(DumpedDocument(second.application())["stories"][0]["text"], "I like apple, pie.");

    first.release();
    EXPECT_TRUE(HostIsRunning());
    second.release();
    EXPECT_TRUE(WaitForHostToEnd(kEndTimeout));
}

// Wine keeps handing out the registration of a server that was killed.
// Restarting its RPC service forgets it, so later tests get a fresh host.
void ForgetDeadServers() {
    for (const wchar_t* command : {L"net.exe stop rpcss", L"net.exe start rpcss"}) {
        std::wstring commandLine = command;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &started));
        CloseHandle(started.hThread);
        const Handle process(started.hProcess);
        ASSERT_EQ(WaitForSingleObject(process.get(), kEndTimeout), WAIT_OBJECT_0);
    }
}

TEST_F(StandInHostTest, KilledHostFailsTheNextCall) {
    {
        HandStartedHost started(L"");
        ASSERT_TRUE(started.waitUntilReady());
        HostConnection connection;
        AttachHost(kCS3, connection);
        ASSERT_TRUE(connection.isAttached());
        EXPECT_EQ(Control(connection.application(), control::kLiveObjects, {}, ValueType::Integer).integer(), 0);

        started.kill();
        const AutomationError error =
            ErrorOf([&] { host::GetObject(connection.application(), code::kActiveDocument); });
        EXPECT_TRUE(error.result() == host::kServerUnavailable || error.result() == host::kCallFailed)
            << std::hex << error.result();
        EXPECT_FALSE(error.hasErrorInfo());
        // The connection keeps its useless reference; every call fails alike.
        EXPECT_TRUE(connection.isAttached());
        EXPECT_TRUE(FAILED(ErrorOf([&] { host::Call(connection.application(), code::kUndo); }).result()));
    }
    ForgetDeadServers();
    HostConnection fresh;
    AttachHost(kCS3, fresh);
    ASSERT_TRUE(fresh.isAttached());
    EXPECT_EQ(Control(fresh.application(), control::kLiveObjects, {}, ValueType::Integer).integer(), 0);
    fresh.release();
    EXPECT_TRUE(WaitForHostToEnd(kEndTimeout));
}

}  // namespace
}  // namespace sonotag::standin
