// Short DDE client conversations for the test tools and the Windows tests:
// a poke of raw bytes, a request of an item. Each call has its own DDEML
// instance, so any thread may use it (the server's thread must pump messages).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "framework/unique_handle.h"

namespace dde_test {

inline HDDEDATA CALLBACK IgnoreAll(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// One client instance with a conversation on service/topic.
class Conversation {
 public:
  Conversation(const std::string& service, const std::string& topic) {
    DWORD id = 0;
    if (::DdeInitializeA(&id, &IgnoreAll, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return;
    instance_.reset(id);
    UniqueDdeString serviceName(id, service.c_str());
    UniqueDdeString topicName(id, topic.c_str());
    conversation_.reset(::DdeConnect(id, serviceName.get(), topicName.get(), nullptr));
  }
  bool connected() const { return static_cast<bool>(conversation_); }
  DWORD instance() const { return instance_.get(); }
  HCONV get() const { return conversation_.get(); }

 private:
  UniqueDdeInstance instance_;
  UniqueDdeConversation conversation_;
};

// Pokes `bytes` exactly as given (no NUL is added). True when the server
// acknowledged the poke (DDE_FACK).
inline bool PokeBytes(const std::string& service, const std::string& topic, const std::string& item,
                      const std::string& bytes, DWORD timeoutMs = 10000) {
  Conversation conversation(service, topic);
  if (!conversation.connected()) return false;
  UniqueDdeString itemName(conversation.instance(), item.c_str());
  DWORD status = 0;
  const HDDEDATA result = ::DdeClientTransaction(
      reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), static_cast<DWORD>(bytes.size()),
      conversation.get(), itemName.get(), CF_TEXT, XTYP_POKE, timeoutMs, &status);
  return result != nullptr && (status & DDE_FACK) != 0;
}

// Requests `item` in `format`; the data when the server gave some.
inline std::optional<std::string> RequestBytes(const std::string& service, const std::string& topic,
                                               const std::string& item, UINT format, DWORD timeoutMs = 10000) {
  Conversation conversation(service, topic);
  if (!conversation.connected()) return std::nullopt;
  UniqueDdeString itemName(conversation.instance(), item.c_str());
  const HDDEDATA data = ::DdeClientTransaction(nullptr, 0, conversation.get(), itemName.get(), format,
                                               XTYP_REQUEST, timeoutMs, nullptr);
  if (data == nullptr) return std::nullopt;
  std::string bytes(::DdeGetData(data, nullptr, 0, 0), '\0');
  if (!bytes.empty()) bytes.resize(::DdeGetData(data, reinterpret_cast<BYTE*>(&bytes[0]), bytes.size(), 0));
  ::DdeFreeDataHandle(data);
  return bytes;
}

}  // namespace dde_test
