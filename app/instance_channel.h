// The single-instance guard and the DDE channel between starts of the program.
//
// The first start holds a named mutex and serves a DDE service named after the
// program; a later start finds the mutex, pokes its command line to the first
// one over that service and ends. The first start pokes its own command line
// through the same channel, so every command line is handled in one place.
//
// Threading: everything runs on the UI thread, the thread that called
// BecomeFirstInstance. DDEML calls the server side from that thread's message
// loop (also from inside a DdeClientTransaction of the same thread), so the
// receiver and the main window handle need no lock.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/poke_text.h"
#include "framework/unique_handle.h"

class CInstanceChannel {
 public:
  using Receiver = std::function<void(const std::string& commandLine)>;

  // Names on the channel.
  static constexpr const char* kTopicMessage = "MESSAGE";
  static constexpr const char* kTopicWindow = "HWND";
  static constexpr const char* kTopicText = "TEXT";
  static constexpr const char* kPokeItem = "DATA_ITEM";
  static constexpr UINT kWindowFormat = 523;  // format of the HWND reply (0x20B)
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
  bool BecomeFirstInstance(const std::string& name);

  // Pokes `text` (with its NUL, CF_TEXT) on topic "TEXT", item "DATA_ITEM" of
  // `service`, waiting up to 10 seconds. True when the server took it.
  static bool SendCommandLine(const std::string& service, const std::string& text);

  // Called with the text of each poke on topic "TEXT" (PokeText: cut at its
  // first NUL and to kMaxPokeBytes - 1 characters).
  void SetReceiver(Receiver receiver) { receiver_ = std::move(receiver); }
  // The window handle a request on topic "HWND" answers with.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  bool IsServing() const { return static_cast<bool>(instance_); }

 private:
  static HDDEDATA CALLBACK ServerCallback(UINT type, UINT format, HCONV conversation, HSZ name1,
                                          HSZ name2, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
  HDDEDATA OnTransaction(UINT type, HSZ name1, HSZ name2, HDDEDATA data);
  std::string TextOf(HSZ name) const;
  void DeliverPoke(HDDEDATA data);

  // DDEML callbacks carry no context: this is the channel that serves.
  static CInstanceChannel* serving_;

  // Declared in reverse order of release: the mutex goes first, the DDEML
  // instance last (string handles need it to be freed).
  UniqueDdeInstance instance_;
  UniqueDdeString serviceName_;
  UniqueDdeString topicName_;  // "MESSAGE"
  bool serviceRegistered_ = false;
  UniqueHandle mutex_;
  std::string service_;
  Receiver receiver_;
  HWND mainWindow_ = nullptr;
};
