// What only the Windows file functions do: sharing violations, and the system's ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/FileError.h"
#include "base/OwnedHandle_win32.h"
#include "dictionary/EncodedTextFile.h"
#include "tests/support/TestFiles.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;

TEST(WindowsFile, HeldWithoutSharingIsASharingViolationNamingTheFile) {
    test::ScratchFolder folder;
    const auto path = folder.write("dictionary.txt", "apple||5Apl\r\n");
    const KernelHandle holder(
        CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    try {
        EncodedTextFile file(path);
        ADD_FAILURE() << "opened a file held without sharing";
    } catch (const FileError& error) { EXPECT_TRUE(error.cause() == FileErrorCause::SharingViolation && error.userText().find(path) != std::u16string::npos); }
}

// Unmarked files are read in the ANSI code page of the program's users (936); a bad byte still gives its line.
TEST(WindowsFile, UnmarkedFilesAreReadInTheSystemAnsiCodePage) {
    ASSERT_EQ(GetACP(), 936u);
    test::ScratchFolder folder;
    EncodedTextFile file(folder.write("gbk.txt", "\xC6\xBB\xB9\xFB\r\na\x81\nb\n"));
    std::u16string lines[3];
    for (auto& line : lines) ASSERT_TRUE(file.readLine(line));
    EXPECT_TRUE(lines[0] == u"苹果" && lines[1].size() == 2 && lines[1][0] == u'a' && lines[2] == u"b");
}

}}  // namespace sonotag
