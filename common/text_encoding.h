// The program's text: every path, title and name in memory is a byte string
// in the program's code page (UTF-8 where the system runs the program with
// it, the legacy ANSI code page on older systems). The codec converts it to
// and from the forms that outside data uses: UTF-16 in the settings file's
// 16-bit strings, UTF-8 in ".m3u8" lists, and the legacy ANSI code page in
// files written by older programs.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// ---------------------------------------------------------------- helpers

// True when every byte is below 0x80.
bool IsAscii(std::string_view text);
// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);
// Number of code points in UTF-8 text (a malformed byte counts as one).
size_t Utf8Length(std::string_view text);
// Decodes the code point at text[i] and moves i past it; a malformed
// sequence (an unpaired surrogate) yields U+FFFD and takes one byte (unit).
char32_t DecodeUtf8(std::string_view text, size_t& i);
char32_t DecodeUtf16(std::u16string_view text, size_t& i);
void AppendUtf8(std::string& out, char32_t code);
// Conversions between UTF-8 and UTF-16; malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Copies as much of `text` as fits `capacity` bytes with its terminator into
// `out`, never cutting a UTF-8 character in two.
void CopyWholeCharacters(std::string_view text, char* out, size_t capacity);
// Windows-1252 (the Western legacy code page) to UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

// A UTF-8 validator fed in pieces (a sequence may straddle two pieces).
class Utf8StreamValidator {
 public:
  void Feed(const char* data, size_t size);
  // Valid so far and no sequence left open.
  bool Valid() const { return valid_ && pending_ == 0; }

 private:
  bool valid_ = true;
  int pending_ = 0;       // continuation bytes still expected
  unsigned lowest_ = 0;   // bounds of the next continuation byte (for the
  unsigned highest_ = 0;  // overlong, surrogate and range checks)
};

// ---------------------------------------------------------------- codec

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // Program text to and from UTF-16 (characters the program's code page
  // cannot hold become "?").
  virtual std::u16string ToUtf16(std::string_view text) const = 0;
  virtual std::string FromUtf16(std::u16string_view text) const = 0;
  // A byte string written by an older program: text in the legacy ANSI code
  // page of the user's locale.
  virtual std::string FromLegacy(std::string_view bytes) const = 0;
  // UTF-8 text (".m3u8" lists, UTF-8 ".m3u" lists).
  virtual std::string FromUtf8(std::string_view text) const { return FromUtf16(Utf8ToUtf16(text)); }
  // True when program text is UTF-8 (it can then be read without converting).
  virtual bool ProgramTextIsUtf8() const { return false; }
};

// Program text in UTF-8; legacy bytes read as Windows-1252. What the program
// uses where the system offers nothing better, and what portable code and
// its tests see.
class Utf8TextCodec : public TextCodec {
 public:
  std::u16string ToUtf16(std::string_view text) const override { return Utf8ToUtf16(text); }
  std::string FromUtf16(std::u16string_view text) const override { return Utf16ToUtf8(text); }
  std::string FromLegacy(std::string_view bytes) const override;
  std::string FromUtf8(std::string_view text) const override;
  bool ProgramTextIsUtf8() const override { return true; }
};

// The codec every reader and writer of outside text uses. The program
// installs the system's codec once at start-up, before any other thread
// runs; the installed object must outlive every use. Until then (and in
// portable code's tests) it is a Utf8TextCodec.
const TextCodec& ProgramTextCodec();
void InstallProgramTextCodec(const TextCodec* codec);  // nullptr restores the default

// Text an older program wrote in its ANSI code page, as program text (pure
// ASCII is the same in every code page and is taken as it is).
std::string ProgramTextFromLegacy(std::string_view bytes);
