#pragma once
// The automation result codes the program raises or reacts to, as signed
// 32-bit numbers. (Not the Windows macros: the portable core has none.)

#include <cstdint>

namespace sonotag::host {

using HResult = std::int32_t;

constexpr HResult MakeHResult(std::uint32_t value) { return static_cast<HResult>(value); }

inline constexpr HResult kOk = 0;
inline constexpr HResult kUnspecifiedFailure = MakeHResult(0x80004005);  // E_FAIL
inline constexpr HResult kNoInterface = MakeHResult(0x80004002);         // E_NOINTERFACE
inline constexpr HResult kInvalidPointer = MakeHResult(0x80004003);      // E_POINTER
inline constexpr HResult kOutOfMemory = MakeHResult(0x8007000E);         // E_OUTOFMEMORY
inline constexpr HResult kInvalidArgument = MakeHResult(0x80070057);     // E_INVALIDARG
inline constexpr HResult kMemberNotFound = MakeHResult(0x80020003);      // DISP_E_MEMBERNOTFOUND
inline constexpr HResult kTypeMismatch = MakeHResult(0x80020005);        // DISP_E_TYPEMISMATCH
inline constexpr HResult kException = MakeHResult(0x80020009);           // DISP_E_EXCEPTION
inline constexpr HResult kBadParameterCount = MakeHResult(0x8002000E);   // DISP_E_BADPARAMCOUNT
inline constexpr HResult kBadIndex = MakeHResult(0x8002000B);            // DISP_E_BADINDEX
inline constexpr HResult kServerUnavailable = MakeHResult(0x800706BA);   // RPC_S_SERVER_UNAVAILABLE
inline constexpr HResult kCallFailed = MakeHResult(0x800706BE);          // RPC_S_CALL_FAILED

constexpr bool Failed(HResult result) { return result < 0; }

}  // namespace sonotag::host
