// What only Windows can show: sharing modes, read-only files, the system's
// ANSI code page.

#include <windows.h>

#include <gtest/gtest.h>

#include "dictionary/EncodedTextFile.h"
#include "base/FileError.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/OwnedHandle_win32.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

using Handle = KernelHandle;

Handle OpenWithSharing(const std::u16string& path, DWORD access, DWORD share) {
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access, share, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return Handle(handle);
}

TEST(WindowsFile, ReadsAFileAnEditorHoldsOpenForWriting) {
    test::ScratchFolder folder;
    const auto path = folder.write("dictionary.txt", "apple||5Apl\r\n");
    Handle editor = OpenWithSharing(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(editor);
    PhoneticDictionary dictionary;
    EXPECT_FALSE(dictionary.load(path));
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
}

TEST(WindowsFile, ReadsAReadOnlyFile) {
    test::ScratchFolder folder;
    const auto path = folder.write("dictionary.txt", "apple||5Apl\r\n");
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()), FILE_ATTRIBUTE_READONLY));
    PhoneticDictionary dictionary;
    EXPECT_FALSE(dictionary.load(path));
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFile, ExclusiveHolderGivesSharingViolation) {
    test::ScratchFolder folder;
    const auto path = folder.write("dictionary.txt", "apple||5Apl\r\n");
    Handle holder = OpenWithSharing(path, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(holder);
    try {
        EncodedTextFile file(path);
        FAIL() << "opened a file held without sharing";
    } catch (const FileError& error) {
        EXPECT_EQ(error.cause(), FileErrorCause::SharingViolation);
        EXPECT_NE(error.userText().find(path), std::u16string::npos);
    }
}

TEST(WindowsFile, SystemAnsiCodePageIsUsedForUnmarkedFiles) {
    ASSERT_EQ(GetACP(), 936u) << "the tests run with the ANSI code page of the program's users";
    test::ScratchFolder folder;
    EncodedTextFile file(folder.write("gbk.txt", "\xC6\xBB\xB9\xFB\r\n"));
    std::u16string line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"苹果");
}

TEST(WindowsFile, InvalidAnsiBytesStillGiveTheirLines) {
    test::ScratchFolder folder;
    EncodedTextFile file(folder.write("bad.txt", "a\x81\nb\n"));
    std::u16string line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0], u'a');
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"b");
}

}  // namespace
}  // namespace sonotag
