// The single-instance guard and the DDE channel between starts of the program.
//
// The first start holds a named mutex, serves a DDE service named after the
// program (for outside callers: topic "TEXT" puts files at the head of the
// first list and plays them) and owns a hidden hand-over window. A later
// start of the program finds the mutex and sends its command line straight
// to that window (WM_COPYDATA: one message, no broadcast), to be played or,
// with "/add", appended; app/hand_over.h says how it retries. A copy whose
// Exit was chosen stops serving at once, and frees the mutex once its
// settings are saved and its sound stopped, so that a start at that moment
// becomes the next first copy instead of handing its files to the ending one.
//
// Threading: everything runs on the UI thread, the thread that called
// BecomeFirstInstance. DDEML calls the server side, and the system the
// hand-over window, from that thread's message loop (also from inside a
// DdeClientTransaction or SendMessage of the same thread), so the receiver,
// the held hand-overs and the main window handle need no lock.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/poke_text.h"
#include "framework/unique_handle.h"

class CInstanceChannel {
 public:
  // What one poke brought.
  struct HandOver {
    HandOverKind kind = HandOverKind::kPlay;
    std::string arguments;
    uint64_t launched = 0;  // the start's launch time (system time), 0 when unknown (DDE)
  };
  using Receiver = std::function<void(const HandOver&)>;

  // How a poke went, for the start that sent it.
  enum class SendResult {
    kDelivered,  // the server took it
    kNoServer,   // no server answered the connection (none yet, or one that is ending)
    kRefused,    // connected, but the server took nothing: sending again is safe
    kNoAnswer,   // no answer in time: the server may still take it later
  };

  // Names on the channel.
  static constexpr const char* kTopicMessage = "MESSAGE";
  static constexpr const char* kTopicWindow = "HWND";
  static constexpr const char* kTopicText = "TEXT";
  // Class of the hand-over window; its title is the program's name.
  static constexpr const char* kHandOverClass = "MelodekHandOver";
  static constexpr const char* kPokeItem = "DATA_ITEM";
  static constexpr UINT kWindowFormat = 523;  // format of the HWND reply (0x20B)
  static constexpr DWORD kPokeTimeoutMs = 10000;
  // A poke is read into a buffer of this many bytes, its terminator included.
  static constexpr DWORD kMaxPokeBytes = static_cast<DWORD>(::kMaxPokeBytes);

  CInstanceChannel() = default;
  // Releases the mutex, unregisters the service, frees the names, ends DDEML.
  ~CInstanceChannel();
  CInstanceChannel(const CInstanceChannel&) = delete;
  CInstanceChannel& operator=(const CInstanceChannel&) = delete;

  // True when this process now holds the mutex `name` and serves the DDE
  // service `name`. False when another process (or channel) holds the mutex,
  // or the DDE server could not start (the mutex then stays held). One
  // channel per process serves at a time: a second serving one is refused.
  // Hand-overs are held (see ReleaseHeld) from here on.
  bool BecomeFirstInstance(const std::string& name);

  // Pokes `text` (with its NUL, CF_TEXT) on `topic`, item `item`, of
  // `service`, waiting up to `timeoutMs` for the answer.
  static SendResult Send(const std::string& service, const std::string& topic, const std::string& item,
                         const std::string& text, DWORD timeoutMs = kPokeTimeoutMs);
  // The plain hand-over: topic "TEXT", item "DATA_ITEM". True when taken.
  static bool SendCommandLine(const std::string& service, const std::string& text) {
    return Send(service, kTopicText, kPokeItem, text) == SendResult::kDelivered;
  }

  // Sends `request` to the hand-over window of the first copy `name`. The
  // window's absence counts as kNoServer, a refusal or a window that went
  // away meanwhile as kRefused.
  static SendResult SendDirect(const std::string& name, const StartRequest& request, uint64_t launched,
                               DWORD timeoutMs);

  // Called with each hand-over: a poke on "TEXT" (its text as PokeText cuts
  // it), or what a start sent the hand-over window.
  void SetReceiver(Receiver receiver) { receiver_ = std::move(receiver); }
  // Until this is called, pokes are acknowledged and kept (the lists they go
  // to are not loaded yet); now the kept ones go to the receiver in their
  // order, and later ones at once.
  void ReleaseHeld();
  // The window handle a request on topic "HWND" answers with.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  // Exit was chosen: the service and the hand-over window go away (a start
  // that tries them waits for the mutex to go), the mutex stays held.
  void StopServing();
  // The settings are saved: the mutex goes, a start may become the first.
  void ReleaseName() { mutex_.reset(); }

  bool IsServing() const { return static_cast<bool>(instance_); }

 private:
  static HDDEDATA CALLBACK ServerCallback(UINT type, UINT format, HCONV conversation, HSZ name1,
                                          HSZ name2, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
  HDDEDATA OnTransaction(UINT type, HSZ name1, HSZ name2, HDDEDATA data);
  std::string TextOf(HSZ name) const;
  void DeliverPoke(HDDEDATA data);
  static LRESULT CALLBACK HandOverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver(HandOver handOver);

  // DDEML callbacks carry no context: this is the channel that serves.
  static CInstanceChannel* serving_;

  // Declared in reverse order of release: the mutex goes first, the DDEML
  // instance last (string handles need it to be freed).
  UniqueDdeInstance instance_;
  UniqueDdeString serviceName_;
  UniqueDdeString topicName_;  // "MESSAGE"
  bool serviceRegistered_ = false;
  UniqueHandle mutex_;
  UniqueWindow handOverWindow_;  // message-only, titled with the service name
  std::string service_;
  Receiver receiver_;
  bool holding_ = true;
  std::vector<HandOver> held_;  // in arrival order, until ReleaseHeld
  HWND mainWindow_ = nullptr;
};
