// The tray icon's tip: what plays, as the notification area shows it
// ("Evening Song — Melodek", "Paused: Evening Song — Melodek", "Melodek"),
// cut to what the wide notify-icon record holds.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

enum class PlayState { kStopped, kPlaying, kPaused };

// UTF-16 units a tip may hold: the record's 128 less the terminator.
constexpr size_t kTrayTipUnits = 127;

// The tip for `title` (UTF-16) in `state`. Control characters show as
// blanks. A title too long for the tip is cut between whole characters
// (never inside a surrogate pair or before a combining mark) and ends in
// "…"; the state and the program's name always show. Stopped, or playing
// without a title, gives "Melodek" alone; paused without one
// "Paused — Melodek".
std::u16string TrayTipText(std::u16string_view title, PlayState state);

// The longest start of `text` of at most `units` UTF-16 units that ends
// between two whole characters.
std::u16string_view WholeCharacterPrefix(std::u16string_view text, size_t units);
