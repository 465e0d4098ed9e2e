// The tray icon's tip text.
#include "app/tray_tip.h"

#include <algorithm>

namespace {
constexpr std::u16string_view kProgram = u"Melodek";
constexpr std::u16string_view kSeparator = u" \u2014 ";  // an em dash between blanks
constexpr std::u16string_view kPausedPrefix = u"Paused: ";
constexpr std::u16string_view kPausedAlone = u"Paused \u2014 Melodek";
constexpr char16_t kEllipsis = u'\u2026';

bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Marks that belong to the character before them (the common combining
// blocks): a cut before one would strip its base of it.
bool IsCombiningMark(char16_t unit) {
  return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x1AB0 && unit <= 0x1AFF) ||
         (unit >= 0x1DC0 && unit <= 0x1DFF) || (unit >= 0x20D0 && unit <= 0x20FF) ||
         (unit >= 0xFE20 && unit <= 0xFE2F);
}

// A tool tip shows one line: line breaks and other control characters from
// a plug-in's title become blanks.
std::u16string Printable(std::u16string_view title) {
  std::u16string text(title);
  for (char16_t& unit : text) {
    if (unit < 0x20 || unit == 0x7F) unit = u' ';
  }
  return text;
}
}  // namespace

std::u16string_view WholeCharacterPrefix(std::u16string_view text, size_t units) {
  size_t cut = std::min(units, text.size());
  // A cut is whole when the unit after it does not continue the character before it.
  while (cut > 0 && cut < text.size() && (IsLowSurrogate(text[cut]) || IsCombiningMark(text[cut]))) --cut;
  return text.substr(0, cut);
}

std::u16string TrayTipText(std::u16string_view title, PlayState state) {
  if (state == PlayState::kStopped) return std::u16string(kProgram);
  if (title.empty()) return std::u16string(state == PlayState::kPaused ? kPausedAlone : kProgram);
  const std::u16string_view prefix = state == PlayState::kPaused ? kPausedPrefix : std::u16string_view();
  const size_t frame = prefix.size() + kSeparator.size() + kProgram.size();
  const std::u16string text = Printable(title);
  std::u16string tip(prefix);
  if (frame + text.size() <= kTrayTipUnits) {
    tip += text;
  } else {
    tip += WholeCharacterPrefix(text, kTrayTipUnits - frame - 1);
    tip += kEllipsis;
  }
  tip += kSeparator;
  tip += kProgram;
  return tip;
}
