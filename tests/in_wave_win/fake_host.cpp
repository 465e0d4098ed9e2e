// The recording fake host of the plug-in tests.
#include "tests/in_wave_win/fake_host.h"

#include <fstream>

namespace {

void MELODEK_PLUGIN_CALL NoSaVsaInit(int, int) {}
void MELODEK_PLUGIN_CALL NoVoid() {}
void MELODEK_PLUGIN_CALL NoPcm(void*, int, int, int) {}
int MELODEK_PLUGIN_CALL ZeroInt() { return 0; }
int MELODEK_PLUGIN_CALL NoSaAdd(void*, int, int) { return 0; }
int MELODEK_PLUGIN_CALL NoVsaGetMode(int*, int*) { return 0; }
int MELODEK_PLUGIN_CALL NoVsaAdd(void*, int) { return 0; }
void MELODEK_PLUGIN_CALL NoVsaSetInfo(int, int) {}
void MELODEK_PLUGIN_CALL NoSetInfo(int, int, int, int) {}
void MELODEK_PLUGIN_CALL NoInt(int) {}
int MELODEK_PLUGIN_CALL ZeroTime() { return 0; }

}  // namespace

FakeHost& FakeHost::Instance() {
  static FakeHost host;
  return host;
}

FakeHost::FakeHost() {
  out_.version = 0x10;
  out_.Open = &FakeHost::Open;
  out_.Close = &FakeHost::Close;
  out_.Write = &FakeHost::Write;
  out_.CanWrite = &FakeHost::CanWrite;
  out_.IsPlaying = &FakeHost::IsPlaying;
  out_.Pause = &FakeHost::Pause;
  out_.Flush = &FakeHost::Flush;
  out_.Init = NoVoid;
  out_.Quit = NoVoid;
  out_.SetVolume = NoInt;
  out_.SetPan = NoInt;
  out_.GetOutputTime = &FakeHost::OutputTime;
  out_.GetWrittenTime = ZeroTime;
  window_ = ::CreateWindowExA(0, "STATIC", "fake host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void FakeHost::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  openResult_ = 0;
  canWriteChunk_ = 4096;
  budget_ = -1;
  dspMode_ = DspMode::kPassThrough;
  frameBytes_ = 0;
  lastCanWrite_ = 0;
  written_.clear();
  opens_.clear();
  flushes_.clear();
  dspCalls_.clear();
  pauseCalls_.clear();
  closeCount_ = isPlayingCount_ = canWriteCount_ = overruns_ = misaligned_ = 0;
  MSG msg;
  while (::PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
  }
}

void FakeHost::Attach(In_Module* m, HINSTANCE instance) {
  m->hMainWindow = window_;
  m->hDllInstance = instance;
  m->SAVSAInit = NoSaVsaInit;
  m->SAVSADeInit = NoVoid;
  m->SAAddPCMData = NoPcm;
  m->SAGetMode = ZeroInt;
  m->SAAdd = NoSaAdd;
  m->VSAAddPCMData = NoPcm;
  m->VSAGetMode = NoVsaGetMode;
  m->VSAAdd = NoVsaAdd;
  m->VSASetInfo = NoVsaSetInfo;
  m->dsp_isactive = ZeroInt;
  m->dsp_dosamples = &FakeHost::DspDoSamples;
  m->SetInfo = NoSetInfo;
  m->outMod = &out_;
}

void FakeHost::SetOpenResult(int result) {
  std::lock_guard<std::mutex> lock(mutex_);
  openResult_ = result;
}
void FakeHost::SetCanWriteChunk(int bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  canWriteChunk_ = bytes;
}
void FakeHost::SetBudget(int64_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  budget_ = bytes;
}
void FakeHost::SetDspMode(DspMode mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  dspMode_ = mode;
}

std::vector<uint8_t> FakeHost::Written() {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}
size_t FakeHost::WrittenSize() {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_.size();
}
std::vector<OpenCall> FakeHost::Opens() {
  std::lock_guard<std::mutex> lock(mutex_);
  return opens_;
}
std::vector<FlushCall> FakeHost::Flushes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return flushes_;
}
std::vector<DspCall> FakeHost::DspCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return dspCalls_;
}
std::vector<int> FakeHost::PauseCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return pauseCalls_;
}
int FakeHost::CloseCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closeCount_;
}
int FakeHost::IsPlayingCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return isPlayingCount_;
}
int FakeHost::CanWriteCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return canWriteCount_;
}
int FakeHost::Overruns() {
  std::lock_guard<std::mutex> lock(mutex_);
  return overruns_;
}
int FakeHost::MisalignedWrites() {
  std::lock_guard<std::mutex> lock(mutex_);
  return misaligned_;
}

bool FakeHost::WaitFor(const std::function<bool()>& pred, int timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    ::Sleep(2);
  }
  return true;
}

bool FakeHost::WaitForEndMessage(int timeoutMs) {
  MSG msg;
  return WaitFor([&] {
    return ::PeekMessageA(&msg, window_, MELODEK_PLUGIN_EOF_MESSAGE, MELODEK_PLUGIN_EOF_MESSAGE, PM_REMOVE) != 0;
  }, timeoutMs);
}

int MELODEK_PLUGIN_CALL FakeHost::Open(int rate, int channels, int bits, int bufferMs, int prebufferMs) {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  h.opens_.push_back({rate, channels, bits, bufferMs, prebufferMs, ::GetCurrentThreadId()});
  h.frameBytes_ = channels * (bits / 8);
  return h.openResult_;
}

void MELODEK_PLUGIN_CALL FakeHost::Close() {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  ++h.closeCount_;
}

int MELODEK_PLUGIN_CALL FakeHost::Write(char* buf, int len) {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  if (len > h.lastCanWrite_) ++h.overruns_;
  if (h.frameBytes_ > 0 && len % h.frameBytes_ != 0) ++h.misaligned_;
  h.lastCanWrite_ -= len;
  if (len > 0) h.written_.insert(h.written_.end(), buf, buf + len);
  return 0;
}

int MELODEK_PLUGIN_CALL FakeHost::CanWrite() {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  ++h.canWriteCount_;
  int64_t answer = h.canWriteChunk_;
  if (h.budget_ >= 0) {
    const int64_t left = h.budget_ - static_cast<int64_t>(h.written_.size());
    answer = left < answer ? (left < 0 ? 0 : left) : answer;
  }
  h.lastCanWrite_ = static_cast<int>(answer);
  return h.lastCanWrite_;
}

int MELODEK_PLUGIN_CALL FakeHost::IsPlaying() {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  ++h.isPlayingCount_;
  return 0;  // as the real host: the end of the output is its own business
}

int MELODEK_PLUGIN_CALL FakeHost::Pause(int pause) {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  h.pauseCalls_.push_back(pause);
  return 0;
}

void MELODEK_PLUGIN_CALL FakeHost::Flush(int ms) {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  h.flushes_.push_back({ms, h.written_.size()});
}

int MELODEK_PLUGIN_CALL FakeHost::OutputTime() {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  return h.flushes_.empty() ? 0 : h.flushes_.back().ms;
}

int MELODEK_PLUGIN_CALL FakeHost::DspDoSamples(short*, int frames, int bits, int channels, int rate) {
  FakeHost& h = Instance();
  std::lock_guard<std::mutex> lock(h.mutex_);
  h.dspCalls_.push_back({frames, bits, channels, rate});
  return h.dspMode_ == DspMode::kHalf ? frames / 2 : frames;
}

namespace {

// Deletes the files of the test folder when the test program ends.
struct TestFolderOwner {
  std::string path;
  std::vector<std::string> files;
  ~TestFolderOwner() {
    for (const std::string& f : files) ::DeleteFileA(f.c_str());
    ::RemoveDirectoryA(path.c_str());
  }
};

// Used from the test thread only.
TestFolderOwner& Folder() {
  static TestFolderOwner owner;
  if (owner.path.empty()) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    owner.path = std::string(temp) + "melodek_plugin_test_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(owner.path.c_str(), nullptr);
  }
  return owner;
}

}  // namespace

std::string TestFolder() { return Folder().path; }

std::string TestPath(const std::string& name) {
  const std::string path = TestFolder() + "\\" + name;
  Folder().files.push_back(path);
  return path;
}

std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = TestPath(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string WriteTestFile(const std::string& name, const std::string& text) {
  return WriteTestFile(name, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string BuiltFile(const char* relativePath) {
  char exe[MAX_PATH];
  const DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe, n);
  path.resize(path.find_last_of("\\/") + 1);
  for (const char* p = relativePath; *p; ++p) path += *p == '/' ? '\\' : *p;
  return path;
}
