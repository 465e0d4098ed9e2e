// The single-instance guard and the DDE channel between starts of the program.
#include "app/instance_channel.h"

#include <cstdint>
#include <vector>

#include "app/poke_text.h"

CInstanceChannel* CInstanceChannel::serving_ = nullptr;

namespace {
constexpr DWORD kPokeTimeoutMs = 10000;

// DDE names are atoms, which compare without regard to case; the text read
// back from a handle keeps the spelling of whoever made the atom first.
bool SameName(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

HDDEDATA CALLBACK IgnoringCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}
}  // namespace

CInstanceChannel::~CInstanceChannel() {
  // The mutex was created unowned, so there is nothing to release: closing the
  // last handle is what frees the name for the next start.
  mutex_.reset();
  if (serviceRegistered_) ::DdeNameService(instance_.get(), serviceName_.get(), nullptr, DNS_UNREGISTER);
  serviceName_.reset();
  topicName_.reset();
  instance_.reset();
  if (serving_ == this) serving_ = nullptr;
}

bool CInstanceChannel::BecomeFirstInstance(const std::string& name) {
  if (serving_ != nullptr || mutex_) return false;
  HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
  const DWORD error = ::GetLastError();
  if (mutex == nullptr) return false;  // the name is taken by another kind of object
  if (error == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return false;
  }
  mutex_.reset(mutex);
  service_ = name;

  // DDEML may call back while it sets up; the callback must find this object.
  serving_ = this;
  DWORD id = 0;
  if (::DdeInitializeA(&id, &CInstanceChannel::ServerCallback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) {
    serving_ = nullptr;
    return false;  // the mutex stays held: this start behaves as a second one
  }
  instance_.reset(id);
  serviceName_ = UniqueDdeString(id, name.c_str());
  topicName_ = UniqueDdeString(id, kTopicMessage);
  serviceRegistered_ = ::DdeNameService(id, serviceName_.get(), nullptr, DNS_REGISTER) != nullptr;
  return true;
}

bool CInstanceChannel::SendCommandLine(const std::string& service, const std::string& text) {
  DWORD id = 0;
  if (::DdeInitializeA(&id, &IgnoringCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
  UniqueDdeInstance instance(id);
  UniqueDdeString serviceName(id, service.c_str());
  UniqueDdeString topic(id, kTopicText);
  UniqueDdeConversation conversation(::DdeConnect(id, serviceName.get(), topic.get(), nullptr));
  if (::DdeGetLastError(id) != DMLERR_NO_ERROR || !conversation) return false;

  UniqueDdeString item(id, kPokeItem);
  // A poke's result is a success flag, not a data handle: nothing to free.
  const HDDEDATA result = ::DdeClientTransaction(
      reinterpret_cast<BYTE*>(const_cast<char*>(text.c_str())), static_cast<DWORD>(text.size() + 1),
      conversation.get(), item.get(), CF_TEXT, XTYP_POKE, kPokeTimeoutMs, nullptr);
  if (result == nullptr && ::DdeGetLastError(id) != DMLERR_NO_ERROR) return false;
  return true;
}

HDDEDATA CALLBACK CInstanceChannel::ServerCallback(UINT type, UINT, HCONV, HSZ name1, HSZ name2,
                                                   HDDEDATA data, ULONG_PTR, ULONG_PTR) {
  if (serving_ == nullptr || !serving_->instance_) return nullptr;
  return serving_->OnTransaction(type, name1, name2, data);
}

HDDEDATA CInstanceChannel::OnTransaction(UINT type, HSZ name1, HSZ name2, HDDEDATA data) {
  // name1 is the topic; name2 the service (connect) or the item (request, poke).
  const std::string topic = TextOf(name1);
  const std::string other = TextOf(name2);
  switch (type) {
    case XTYP_CONNECT: {
      const bool accepted =
          SameName(other, service_.c_str()) &&
          (SameName(topic, kTopicMessage) || SameName(topic, kTopicWindow) || SameName(topic, kTopicText));
      return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(accepted ? TRUE : FALSE));
    }
    case XTYP_REQUEST: {
      if (!SameName(topic, kTopicWindow)) return nullptr;
      uint32_t window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(mainWindow_));
      return ::DdeCreateDataHandle(instance_.get(), reinterpret_cast<BYTE*>(&window), sizeof window, 0, name2,
                                   kWindowFormat, 0);
    }
    case XTYP_POKE:
      if (!SameName(topic, kTopicText)) return nullptr;  // DDE_FNOTPROCESSED
      DeliverPoke(data);
      return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(DDE_FACK));
    case XTYP_XACT_COMPLETE:
      return reinterpret_cast<HDDEDATA>(1);
    default:
      return nullptr;
  }
}

std::string CInstanceChannel::TextOf(HSZ name) const {
  char text[256] = {};
  if (name == nullptr) return std::string();
  const DWORD length = ::DdeQueryStringA(instance_.get(), name, text, sizeof text, CP_WINANSI);
  return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

void CInstanceChannel::DeliverPoke(HDDEDATA data) {
  // Copy at most the buffer's worth; PokeText decides what of it is the text.
  DWORD size = ::DdeGetData(data, nullptr, 0, 0);
  if (size > kMaxPokeBytes) size = kMaxPokeBytes;
  std::vector<uint8_t> bytes(size);
  if (size > 0) size = ::DdeGetData(data, bytes.data(), size, 0);
  bytes.resize(size);
  const std::string text = PokeText(bytes.data(), bytes.size());
  if (receiver_) receiver_(text);
}
