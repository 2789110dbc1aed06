#include "base/FileError.h"

#include "base/SystemMessage.h"
#include "base/Utf.h"

namespace sonotag {
namespace {

std::u16string CauseText(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::NotFound: return u"找不到该文件。";
        case FileErrorCause::AccessDenied: return u"拒绝访问该文件。";
        case FileErrorCause::SharingViolation: return u"该文件正被另一程序使用。";
        case FileErrorCause::UnknownCodePage: return u"系统没有指定的编码。";
        case FileErrorCause::Other: break;
    }
    return u"打开该文件时出错。";
}

}  // namespace

FileError::FileError(FileErrorCause cause, std::u16string fileName, std::uint32_t systemCode)
    : std::runtime_error(Utf16ToUtf8(fileName)),
      cause_(cause),
      fileName_(std::move(fileName)),
      systemCode_(systemCode) {}

std::u16string FileError::userText() const {
    // The system's text where it has one (Windows), the cause's own elsewhere:
    // they read better than strerror's English.
    std::u16string reason = SystemMessage(systemCode_).value_or(u"");
    while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r')) reason.pop_back();
    if (reason.empty()) reason = CauseText(cause_);
    return u"无法打开文件“" + fileName_ + u"”：" + reason;
}

}  // namespace sonotag
