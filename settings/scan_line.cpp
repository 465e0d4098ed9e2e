// The pattern reader of the text settings file.
#include "settings/scan_line.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// The white space the C runtime's number readers skip.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads as strtod would from a decimal number, bounded by the text.
// Only the plain decimal form is taken (no hexadecimal, no inf/nan words).
float ParseLeadingFloat(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  std::string token;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) token += text[i++];
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) token += text[i++], digits = true;
  if (i < text.size() && text[i] == '.') {
    token += text[i++];
    while (i < text.size() && IsDigit(text[i])) token += text[i++], digits = true;
  }
  if (!digits) return 0.0f;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      token.append(text.data() + i, j - i);
      // Long exponents saturate anyway; keep the token short.
      size_t expDigits = 0;
      while (j < text.size() && IsDigit(text[j])) {
        if (expDigits++ < 6) token += text[j];
        ++j;
      }
    }
  }
  const double value = std::strtod(token.c_str(), nullptr);
  // Narrowing out of range is left to IEEE: infinity, not undefined behaviour.
  if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
  if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// A "%x" scan: white space, sign, optional 0x prefix, hex digits. Returns
// false when no digit is there (the target then keeps its value).
bool ParseLeadingHex(std::string_view text, uint32_t& value) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
      HexValue(text[i + 2]) >= 0) {
    i += 2;
  }
  if (i >= text.size() || HexValue(text[i]) < 0) return false;
  uint64_t v = 0;
  for (; i < text.size() && HexValue(text[i]) >= 0; ++i) {
    v = v * 16 + static_cast<unsigned>(HexValue(text[i]));
    if (v > 0xFFFFFFFFu) v = 0x100000000ull;  // saturate, keep looping over digits
  }
  uint32_t u = v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
  value = negative ? 0u - u : u;
  return true;
}

template <typename T>
T* TargetAs(const ScanTarget& target) {
  T* const* p = std::get_if<T*>(&target);
  return p ? *p : nullptr;
}

void StoreInteger(const ScanTarget& target, uint32_t bits) {
  if (int32_t* i = TargetAs<int32_t>(target)) *i = static_cast<int32_t>(bits);
  else if (uint32_t* u = TargetAs<uint32_t>(target)) *u = bits;
}

}  // namespace

int32_t ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{1} << 32) v = int64_t{1} << 32;  // saturate
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

int ScanLine(std::string_view text, std::string_view pattern, const ScanTarget* targets,
             size_t targetCount) {
  if (text.empty()) return 0;
  size_t t = 0, p = 0;
  size_t nextTarget = 0;
  int count = 0;
  auto skipBlanks = [&] {
    while (t < text.size() && IsBlank(text[t])) ++t;
    while (p < pattern.size() && IsBlank(pattern[p])) ++p;
  };
  while (p < pattern.size()) {
    skipBlanks();
    if (p < pattern.size() && pattern[p] == '%') {
      if (nextTarget >= targetCount) break;
      const ScanTarget& target = targets[nextTarget++];
      const char conversion = p + 1 < pattern.size() ? pattern[p + 1] : '\0';
      const std::string_view rest = text.substr(t);
      switch (conversion) {
        case 'd':
          StoreInteger(target, static_cast<uint32_t>(ParseLeadingInt(rest)));
          if (t < text.size() && text[t] == '-') ++t;
          while (t < text.size() && IsDigit(text[t])) ++t;
          break;
        case 'f': {
          if (float* f = TargetAs<float>(target)) *f = ParseLeadingFloat(rest);
          if (t < text.size() && text[t] == '-') ++t;
          bool passedPoint = false;
          if (t < text.size() && text[t] == '.') ++t, passedPoint = true;
          while (t < text.size() && IsDigit(text[t])) ++t;
          if (!passedPoint && t < text.size() && text[t] == '.') {
            ++t;
            while (t < text.size() && IsDigit(text[t])) ++t;
          }
          break;
        }
        case 'x':
        case 'X': {
          uint32_t value;
          if (ParseLeadingHex(rest, value)) StoreInteger(target, value);
          while (t < text.size() && HexValue(text[t]) >= 0) ++t;
          break;
        }
        case 's':
        case 'S': {
          // The character that ends the string: the pattern's next one, or
          // none (copy to the end of the text).
          const bool hasStop = p + 2 < pattern.size();
          const char stop = hasStop ? pattern[p + 2] : '\0';
          size_t end = t;
          while (end < text.size() && !(hasStop && text[end] == stop)) ++end;
          if (std::string* s = TargetAs<std::string>(target)) s->assign(text.data() + t, end - t);
          t = end;
          break;
        }
        default:
          break;  // counted, nothing read
      }
      ++count;
      p = p + 2 < pattern.size() ? p + 2 : pattern.size();
    }
    skipBlanks();
    if (p >= pattern.size()) break;
    if (pattern[p] != '%') {
      if (t >= text.size() || pattern[p] != text[t]) break;
      ++p;
      ++t;
    }
    if (t >= text.size()) break;
  }
  return count;
}
