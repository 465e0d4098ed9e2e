// The hot key list's working copy and its marks.
#include "hotkey/hotkey_list_model.h"

#include "hotkey/hotkey_table.h"

namespace {
bool SameCombination(const HotKeyEntry& a, const HotKeyEntry& b) {
  return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
}
}  // namespace

HotKeyListModel::HotKeyListModel(const HotKeyTable& applied, const HotKeyRefusals& refused,
                                 const MediaKeyRefusals& mediaRefused)
    : applied_(applied), refused_(refused), mediaRefused_(mediaRefused), working_(applied) {}

int HotKeyListModel::EntryOfRow(int row) const {
  return row >= 0 && row < kHotKeyCount ? row : -1;
}

int HotKeyListModel::MediaKeyOfRow(int row) const {
  const int key = row - kHotKeyCount;
  return key >= 0 && key < kMediaKeyCount ? key : -1;
}

std::string HotKeyListModel::CommandText(int row) const {
  const int media = MediaKeyOfRow(row);
  if (media >= 0) return MediaKeyAt(media).commandName;
  const int entry = EntryOfRow(row);
  return entry < 0 ? std::string() : HotKeyCommandName(entry);
}

int HotKeyListModel::DuplicateOf(int entry) const {
  for (int other = 0; other < kHotKeyCount; ++other) {
    if (other != entry && working_[other].enabled != 0 && SameCombination(working_[other], working_[entry])) {
      return other;
    }
  }
  return -1;
}

HotKeyMark HotKeyListModel::Mark(int row) const {
  const int media = MediaKeyOfRow(row);
  if (media >= 0) return mediaRefused_[static_cast<size_t>(media)] ? HotKeyMark::kInUse : HotKeyMark::kNone;
  const int entry = EntryOfRow(row);
  if (entry < 0 || working_[entry].enabled == 0) return HotKeyMark::kNone;  // not registered: nothing fails
  if (DuplicateOf(entry) >= 0) return HotKeyMark::kDuplicate;
  // The refusal is known for the combination that was registered; an edited
  // one is tried only at OK.
  if (refused_[entry] && applied_[entry].enabled != 0 && SameCombination(working_[entry], applied_[entry])) {
    return HotKeyMark::kInUse;
  }
  return HotKeyMark::kNone;
}

std::string HotKeyListModel::KeyText(int row) const {
  const int media = MediaKeyOfRow(row);
  const int entry = EntryOfRow(row);
  if (media < 0 && entry < 0) return std::string();
  std::string text = media >= 0 ? MediaKeyAt(media).keyName : FormatHotKeyText(working_[entry]);
  switch (Mark(row)) {
    case HotKeyMark::kInUse:
      text += " (in use)";
      break;
    case HotKeyMark::kDuplicate:
      text += " (same as ";
      text += HotKeyCommandName(DuplicateOf(entry));
      text += ")";
      break;
    case HotKeyMark::kNone:
      break;
  }
  return text;
}

bool HotKeyListModel::Checked(int row) const {
  const int media = MediaKeyOfRow(row);
  if (media >= 0) return !mediaRefused_[static_cast<size_t>(media)];
  const int entry = EntryOfRow(row);
  return entry >= 0 && working_[entry].enabled != 0;
}

void HotKeyListModel::SetChecked(int row, bool checked) {
  const int entry = EntryOfRow(row);
  if (entry >= 0) working_[entry].enabled = checked ? 1 : 0;
}

void HotKeyListModel::SetCombination(int row, uint32_t modifiers, uint32_t virtualKey) {
  const int entry = EntryOfRow(row);
  if (entry < 0) return;
  working_[entry].modifiers = modifiers;
  working_[entry].virtualKey = virtualKey;
}

std::string HotKeyRefusalMessage(const HotKeyTable& table, const HotKeyRefusals& refused) {
  if (refused.none()) return std::string();
  std::string text =
      "These hot keys could not be registered: another program may be using them, "
      "or two commands share them.\r\n";
  for (int entry = 0; entry < kHotKeyCount; ++entry) {
    if (!refused[entry]) continue;
    text += "\r\n";
    text += HotKeyCommandName(entry);
    text += ": ";
    text += FormatHotKeyText(table[entry]);
  }
  return text;
}
