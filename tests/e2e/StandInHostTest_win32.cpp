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
#include "base/Utf.h"
#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"
#include "standin/ControlCodes.h"
#include "standin/LocalServer_win32.h"
#include "standin/StandInHost.h"
#include "tests/e2e/StandInProcess_win32.h"
#include "tests/support/AttachedState.h"
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

using namespace e2e;

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
    const AutomationError error = ErrorOf([&] { host::GetObjectRef(connection.application(), code::kActiveDocument); });
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
        const ObjectRef document = host::Required(host::GetObjectRef(application, code::kActiveDocument));
        const std::int32_t undoBefore = host::Get(document, code::kUndoHistory).array().upperBound;

        const ObjectRef selection = host::Get(application, code::kSelection).object();
        ASSERT_EQ(host::GetInteger(selection, code::kCount), 1);
        const ObjectRef text = host::CallForObject(selection, code::kFirst);
        const ObjectRef words = host::GetObjectRef(text, code::kWords);
        const std::int32_t wordCount = host::GetInteger(words, code::kCount);
        ASSERT_EQ(wordCount, 4);
        const ObjectRef word = host::Item(words, wordCount);
        EXPECT_EQ(host::GetText(word, code::kContents), u"pie.");

        const ObjectRef insertionPoints = host::GetObjectRef(word, code::kInsertionPoints);
        EXPECT_EQ(host::GetInteger(insertionPoints, code::kCount), 5);
        host::Put(host::CallForObject(insertionPoints, code::kLast), code::kContents, Value(u" [paɪ]"));

        const ObjectRef characters = host::GetObjectRef(word, code::kCharacters);
        ASSERT_EQ(host::GetInteger(characters, code::kCount), 10);
        const ObjectRef style = host::Item(host::GetObjectRef(document, code::kCharacterStyles), u"Phonetics");
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
    const ObjectRef style = host::Item(
        host::GetObjectRef(host::GetObjectRef(inProcess.application(), code::kActiveDocument), code::kCharacterStyles),
        u"Phonetics");
    const std::int32_t inProcessMark =
        AnnotateSelection(test::AttachedState(inProcess.application(), chosen, style), dictionary, kInitialUndoMark)
            .undoMark;

    std::wstring arguments = L"--document \"";
    arguments += Wide(FixturePath("annotation-step.json"));
    arguments += L"\"";
    HandStartedHost started(arguments);
    ASSERT_TRUE(started.waitUntilReady());
    HostConnection connection;
    AttachHost(kCS3, connection);
    ASSERT_TRUE(connection.isAttached());
    RunOutcome run;
    {
        const ObjectRef remoteStyle = host::Item(
            host::GetObjectRef(host::GetObjectRef(connection.application(), code::kActiveDocument),
                            code::kCharacterStyles),
            u"Phonetics");
        run = AnnotateSelection(test::AttachedState(connection.application(), chosen, remoteStyle), dictionary,
                                kInitialUndoMark);
    }
    ASSERT_TRUE(run.completed()) << Utf16ToUtf8(test::ReportOf(run));
    EXPECT_EQ(DumpedDocument(connection.application()), nlohmann::json::parse(inProcess.dumpDocumentJson()));
    EXPECT_EQ(run.undoMark, inProcessMark);

    EXPECT_TRUE(RemoveAnnotations(connection.application(), run.undoMark).completed());
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
    const ObjectRef document = host::GetObjectRef(application, code::kActiveDocument);
    AutomationError error = ErrorOf([&] { host::GetObjectRef(document, code::kCharacterStyles); });
    EXPECT_EQ(error.result(), host::MakeHResult(0x80040205));
    EXPECT_EQ(error.source(), std::u16string(kErrorSource));
    EXPECT_EQ(error.description(), u"The second call fails.");
    EXPECT_EQ(FormatErrorReport(error), u"发生错误:Stand-in host,原因:IDispatch error #5,描述:The second call fails.!");

    // The next one with a result code; the call after it works again.
    Control(application, control::kFailCall,
            {Value(1), Value(0), Value(host::kUnspecifiedFailure), Value(kErrorSource), Value(u"No luck.")});
    error = ErrorOf([&] { host::GetObjectRef(document, code::kCharacterStyles); });
    EXPECT_EQ(error.result(), host::kUnspecifiedFailure);
    EXPECT_EQ(error.description(), u"No luck.");
    EXPECT_NE(host::GetObjectRef(document, code::kCharacterStyles), nullptr);

    // The model's own failure: no such word.
    const ObjectRef words =
        host::GetObjectRef(host::CallForObject(host::Get(application, code::kSelection).object(), code::kFirst),
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
            ErrorOf([&] { host::GetObjectRef(connection.application(), code::kActiveDocument); });
        EXPECT_TRUE(error.result() == host::kServerUnavailable || error.result() == host::kCallFailed)
            << std::hex << error.result();
        EXPECT_FALSE(error.hasErrorInfo());
        // The connection keeps its useless reference; every call fails alike.
        EXPECT_TRUE(connection.isAttached());
        EXPECT_TRUE(FAILED(ErrorOf([&] { host::Call(connection.application(), code::kUndo); }).result()));
    }
    ASSERT_TRUE(test::ForgetDeadServers());
    HostConnection fresh;
    AttachHost(kCS3, fresh);
    ASSERT_TRUE(fresh.isAttached());
    EXPECT_EQ(Control(fresh.application(), control::kLiveObjects, {}, ValueType::Integer).integer(), 0);
    fresh.release();
    EXPECT_TRUE(WaitForHostToEnd(kEndTimeout));
}

}  // namespace
}  // namespace sonotag::standin
