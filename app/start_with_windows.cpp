// The per-user Run entry.
#include "app/start_with_windows.h"

#include <windows.h>

#include "app/command_line.h"
#include "framework/unique_handle.h"

namespace {
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Melodek";
constexpr DWORD kMaxValueBytes = 4096;  // longer values are no path of this program

UniqueRegKey OpenRunKey(REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, access, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}
}  // namespace

bool StartsWithWindows(const std::string& programPath) {
  const UniqueRegKey key = OpenRunKey(KEY_QUERY_VALUE);
  if (!key) return false;
  DWORD type = 0;
  DWORD size = kMaxValueBytes;
  std::string value(kMaxValueBytes + 1, '\0');
  if (::RegQueryValueExA(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  value.resize(size);
  value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));  // the terminator, if any
  const std::string program = ProgramOfCommandLine(value);
  return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, program.c_str(), static_cast<int>(program.size()),
                          programPath.c_str(), static_cast<int>(programPath.size())) == CSTR_EQUAL;
}

bool SetStartWithWindows(const std::string& programPath, bool on) {
  HKEY created = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const UniqueRegKey key(created);
  if (!on) {
    const LONG result = ::RegDeleteValueA(key.get(), kValueName);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  const std::string command = "\"" + programPath + "\"";
  return ::RegSetValueExA(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}
