// The small pattern reader of the text settings file: a bounded relative of
// sscanf with the conversions %d, %f, %x/%X and %s/%S.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// One target of a conversion, given in the order of the conversions.
using ScanTarget = std::variant<int32_t*, uint32_t*, float*, std::string*>;

// Reads text by pattern and returns the number of conversions performed.
//   Spaces and tabs are skipped in text and pattern around every step; other
//   pattern characters must match the text exactly, the first mismatch ends
//   the scan, and so does the end of the text.
//   %d  atoi's value; the text moves past one '-' and the digits only, so a
//       '+' before a number is read but not stepped over.
//   %f  atof's value narrowed to float; the text moves past '-', digits and
//       one '.' (an exponent is read but not stepped over).
//   %x  the value of a "%x" scan; the text moves past the hex digits only.
//   %s  the text up to the pattern character after the conversion (or to the
//       end of the text when none follows); spaces inside and at the end stay.
//   %?  any other letter converts nothing but counts and uses up a target.
// Nothing is read outside text and pattern. A target of a kind that does not
// fit its conversion (a string for %d, ...) is left unchanged; when the
// targets run out the scan ends.
int ScanLine(std::string_view text, std::string_view pattern, const ScanTarget* targets,
             size_t targetCount);

inline int ScanLine(std::string_view text, std::string_view pattern,
                    std::initializer_list<ScanTarget> targets) {
  return ScanLine(text, pattern, targets.begin(), targets.size());
}

// atoi over a bounded text: leading white space, one sign, decimal digits;
// values beyond 32 bits are clamped. Returns 0 when no digits follow.
int32_t ParseLeadingInt(std::string_view text);
