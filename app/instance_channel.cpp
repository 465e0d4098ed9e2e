// The single-instance guard and the DDE channel between starts of the program.
#include "app/instance_channel.h"

#include <cstdint>
#include <vector>

#include "app/poke_text.h"

CInstanceChannel* CInstanceChannel::serving_ = nullptr;

namespace {
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
  StopServing();
}

void CInstanceChannel::StopServing() {
  handOverWindow_.reset();
  // Uninitialising DDEML also destroys its windows, so that no later start's
  // connection broadcast waits on a window of this copy while it ends.
  if (serviceRegistered_) ::DdeNameService(instance_.get(), serviceName_.get(), nullptr, DNS_UNREGISTER);
  serviceRegistered_ = false;
  serviceName_.reset();
  topicName_.reset();
  instance_.reset();
  if (serving_ == this) serving_ = nullptr;
}

void CInstanceChannel::ReleaseHeld() {
  holding_ = false;
  std::vector<HandOver> held;
  held.swap(held_);
  for (const HandOver& handOver : held) {
    if (receiver_) receiver_(handOver);
  }
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
  // The hand-over window first: later starts of the program look for it.
  // Messages sent to it wait until this thread takes messages.
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &CInstanceChannel::HandOverWindowProc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kHandOverClass;
  ::RegisterClassA(&windowClass);  // fails harmlessly when it is already registered
  handOverWindow_.reset(::CreateWindowExA(0, kHandOverClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          windowClass.hInstance, nullptr));

  // DDEML may call back while it sets up; the callback must find this object.
  serving_ = this;
  DWORD id = 0;
  if (::DdeInitializeA(&id, &CInstanceChannel::ServerCallback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) {
    serving_ = nullptr;
    handOverWindow_.reset();
    return false;  // the mutex stays held: this start behaves as a second one
  }
  instance_.reset(id);
  serviceName_ = UniqueDdeString(id, name.c_str());
  topicName_ = UniqueDdeString(id, kTopicMessage);
  serviceRegistered_ = ::DdeNameService(id, serviceName_.get(), nullptr, DNS_REGISTER) != nullptr;
  return true;
}

CInstanceChannel::SendResult CInstanceChannel::Send(const std::string& service, const std::string& topic,
                                                   const std::string& item, const std::string& text,
                                                   DWORD timeoutMs) {
  DWORD id = 0;
  if (::DdeInitializeA(&id, &IgnoringCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return SendResult::kNoServer;
  UniqueDdeInstance instance(id);
  UniqueDdeString serviceName(id, service.c_str());
  UniqueDdeString topicName(id, topic.c_str());
  UniqueDdeConversation conversation(::DdeConnect(id, serviceName.get(), topicName.get(), nullptr));
  if (!conversation) return SendResult::kNoServer;

  UniqueDdeString itemName(id, item.c_str());
  // A poke's result is a success flag, not a data handle: nothing to free.
  const HDDEDATA result = ::DdeClientTransaction(
      reinterpret_cast<BYTE*>(const_cast<char*>(text.c_str())), static_cast<DWORD>(text.size() + 1),
      conversation.get(), itemName.get(), CF_TEXT, XTYP_POKE, timeoutMs, nullptr);
  if (result != nullptr) return SendResult::kDelivered;
  // A poke that timed out may still be taken when the server gets to it;
  // every other failure (refused, the conversation ended) took nothing.
  return ::DdeGetLastError(id) == DMLERR_POKEACKTIMEOUT ? SendResult::kNoAnswer : SendResult::kRefused;
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
  Deliver({HandOverKind::kPlay, PokeText(bytes.data(), bytes.size()), 0});
}

void CInstanceChannel::Deliver(HandOver handOver) {
  if (holding_) {
    held_.push_back(std::move(handOver));
  } else if (receiver_) {
    receiver_(handOver);
  }
}

LRESULT CALLBACK CInstanceChannel::HandOverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return ::DefWindowProcA(window, message, wParam, lParam);
  // TRUE tells the start that its files were taken.
  if (serving_ == nullptr || serving_->handOverWindow_.get() != window) return FALSE;
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (copy == nullptr) return FALSE;
  const std::optional<DirectHandOver> handOver = ParseDirectHandOver(
      static_cast<uint32_t>(copy->dwData), static_cast<const uint8_t*>(copy->lpData), copy->cbData);
  if (!handOver) return FALSE;
  serving_->Deliver({handOver->kind, handOver->text, handOver->launched});
  return TRUE;
}

CInstanceChannel::SendResult CInstanceChannel::SendDirect(const std::string& name, const StartRequest& request,
                                                         uint64_t launched, DWORD timeoutMs) {
  HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, kHandOverClass, name.c_str());
  if (window == nullptr) return SendResult::kNoServer;
  std::vector<uint8_t> bytes = DirectHandOverBytes(launched, request.files);
  COPYDATASTRUCT copy{};
  copy.dwData = request.kind == HandOverKind::kAdd ? kDirectAddTag : kDirectPlayTag;
  copy.cbData = static_cast<DWORD>(bytes.size());
  copy.lpData = bytes.data();
  DWORD_PTR taken = FALSE;
  ::SetLastError(ERROR_SUCCESS);
  if (::SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_NORMAL, timeoutMs,
                            &taken) == 0) {
    // Timed out: the window may still take it. Otherwise it went away.
    return ::GetLastError() == ERROR_TIMEOUT ? SendResult::kNoAnswer : SendResult::kRefused;
  }
  return taken == TRUE ? SendResult::kDelivered : SendResult::kRefused;
}
