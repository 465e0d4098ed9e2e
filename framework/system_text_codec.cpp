// Code-page conversions through the system.
#include "framework/system_text_codec.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>

namespace {

std::u16string ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  const int units = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::u16string out(static_cast<size_t>(units), u'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, reinterpret_cast<wchar_t*>(&out[0]), units);
  return out;
}

std::string FromWide(UINT codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  const int bytes = ::WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, 0, wide, size, &out[0], bytes, nullptr, nullptr);
  return out;
}

}  // namespace

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");

UINT UserLegacyCodePage() {
  char digits[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits) > 0) {
    const UINT page = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
    // 0 means a Unicode-only locale, which has no legacy page of its own.
    if (page != 0 && page != CP_UTF8) return page;
  }
  return 1252;
}

SystemTextCodec::SystemTextCodec() : SystemTextCodec(::GetACP(), UserLegacyCodePage()) {}

std::u16string SystemTextCodec::ToUtf16(std::string_view text) const {
  return programCodePage_ == CP_UTF8 ? Utf8ToUtf16(text) : ToWide(programCodePage_, text);
}

std::string SystemTextCodec::FromUtf16(std::u16string_view text) const {
  return programCodePage_ == CP_UTF8 ? Utf16ToUtf8(text) : FromWide(programCodePage_, text);
}

std::string SystemTextCodec::FromLegacy(std::string_view bytes) const {
  if (legacyCodePage_ == programCodePage_) return std::string(bytes);
  return FromUtf16(ToWide(legacyCodePage_, bytes));
}

std::string SystemTextCodec::FromUtf8(std::string_view text) const {
  if (programCodePage_ == CP_UTF8 && IsValidUtf8(text)) return std::string(text);
  return FromUtf16(Utf8ToUtf16(text));
}

std::wstring WideFromProgramText(std::string_view text) {
  const std::u16string wide = ProgramTextCodec().ToUtf16(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string ProgramTextFromWide(const wchar_t* text) {
  if (text == nullptr) return {};
  return ProgramTextCodec().FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), std::wcslen(text)));
}
