// The program text's codec on Windows: the process's ANSI code page (UTF-8
// when the system honours the program's manifest, the legacy code page on
// older systems) and the legacy ANSI code page of the user's locale, which
// older programs wrote their files in.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "common/text_encoding.h"

class SystemTextCodec : public TextCodec {
 public:
  SystemTextCodec();  // reads both code pages from the system
  SystemTextCodec(UINT programCodePage, UINT legacyCodePage)
      : programCodePage_(programCodePage), legacyCodePage_(legacyCodePage) {}

  std::u16string ToUtf16(std::string_view text) const override;
  std::string FromUtf16(std::u16string_view text) const override;
  std::string FromLegacy(std::string_view bytes) const override;
  std::string FromUtf8(std::string_view text) const override;
  bool ProgramTextIsUtf8() const override { return programCodePage_ == CP_UTF8; }

  UINT ProgramCodePage() const { return programCodePage_; }
  UINT LegacyCodePage() const { return legacyCodePage_; }

 private:
  UINT programCodePage_;
  UINT legacyCodePage_;
};

// The legacy ANSI code page of the user's locale (1252 for most Western
// locales, 932 for Japanese, ...), whatever code page the process runs with.
UINT UserLegacyCodePage();

// Program text to and from the system's UTF-16 strings, for the calls whose
// ANSI forms have fixed-size buffers (file names, drops, folder pickers).
std::wstring WideFromProgramText(std::string_view text);
std::string ProgramTextFromWide(const wchar_t* text);
