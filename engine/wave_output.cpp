// The wave-out device and its refill thread.
#include "engine/wave_output.h"

#include <algorithm>

#include "engine/player_protocol.h"

namespace {

constexpr int kMaxBuffers = 16;
constexpr uint32_t kMaxBufferBytes = 1u << 20;
// How long the first buffers wait for the plug-in's first samples. Most
// plug-ins open the output before their thread writes; queuing at once
// would put two buffers of silence (about 0.74 s) before every file.
constexpr DWORD kPrimeWaitMs = 150;

}  // namespace

CWaveOutput::CWaveOutput() : wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
  stage_.SetDecoderDoneCallback([this](uint32_t token) { Notify(UM_DECODER_DONE, token); });
  refillThread_ = std::thread([this] { RefillLoop(); });
}

void CWaveOutput::Notify(uint32_t message, uint32_t token) const {
  if (DWORD thread = notifyThread_.load()) ::PostThreadMessageA(thread, message, 0, static_cast<LPARAM>(token));
}

CWaveOutput::~CWaveOutput() {
  Close();
  quit_.store(true);
  ::SetEvent(wake_.get());
  refillThread_.join();
}

int CWaveOutput::Open(int rate, int channels, int bits, int count, int size) {
  std::lock_guard<std::mutex> lock(deviceLock_);
  CloseDeviceLocked();
  if (rate <= 0 || channels <= 0 || bits <= 0 ||
      !stage_.Configure(static_cast<uint32_t>(rate), static_cast<uint32_t>(channels),
                        static_cast<uint32_t>(bits))) {
    return -1;
  }
  // The device always plays what the ring holds: 16-bit stereo.
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = stage_.DeviceBytesPerSecond();
  HWAVEOUT handle = nullptr;
  if (::waveOutOpen(&handle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wake_.get()), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    return -1;
  }
  device_.reset(handle);

  count = std::clamp(count, 1, kMaxBuffers);
  uint32_t bytes = size > 0 ? static_cast<uint32_t>(size) : stage_.DeviceBytesPerSecond();
  bufferBytes_ = std::clamp<uint32_t>(bytes & ~3u, 4, kMaxBufferBytes);
  buffers_.resize(static_cast<size_t>(count));
  for (Buffer& buffer : buffers_) buffer.data = std::make_unique<int16_t[]>(bufferBytes_ / 2);

  stage_.BeginDevice(static_cast<uint32_t>(count));
  primeStart_ = ::GetTickCount();
  priming_ = true;
  if (PrimeReadyLocked()) {
    if (!PrimeLocked()) return -1;
  } else {
    // The refill thread queues the buffers once the first samples are there.
    primingPending_.store(true);
    ::SetEvent(wake_.get());
  }
  const uint64_t latencyMs = uint64_t{bufferBytes_} * static_cast<uint32_t>(count) * 1000 /
                             stage_.DeviceBytesPerSecond();
  return static_cast<int>(latencyMs);
}

bool CWaveOutput::PrimeReadyLocked() const {
  return stage_.HoldsEnoughToStart(bufferBytes_, static_cast<uint32_t>(buffers_.size())) ||
         stage_.Ring().decoderFinished.load() ||
         stage_.Paused() || ::GetTickCount() - primeStart_ >= kPrimeWaitMs;
}

bool CWaveOutput::PrimeLocked() {
  priming_ = false;
  primingPending_.store(false);
  int queued = 0;
  for (Buffer& buffer : buffers_) {
    stage_.StartBuffer(buffer.data.get(), bufferBytes_);
    buffer.streamEnd = stage_.LastFillStreamEnd();
    if (QueueLocked(buffer)) {
      ++queued;
    } else {
      stage_.BufferLost();
    }
  }
  if (queued == 0) {  // a device that takes no buffer is no device
    CloseDeviceLocked();
    stage_.Abandon();
    return false;
  }
  return true;
}

int CWaveOutput::AppendStream(int rate, int channels, int bits, uint32_t token,
                              int32_t fileGain, int32_t loudness, uint32_t& start) {
  std::lock_guard<std::mutex> lock(deviceLock_);
  if (!device_ || rate <= 0 || static_cast<uint32_t>(rate) != stage_.CurrentFormat().rate ||
      channels <= 0 || bits <= 0 || stage_.EndStateNow() != OutputStage::kRunning) {
    return -1;
  }
  // Only the plug-in's sample layout changes: the device plays on.
  if (!stage_.Configure(static_cast<uint32_t>(rate), static_cast<uint32_t>(channels),
                        static_cast<uint32_t>(bits))) {
    return -1;
  }
  start = stage_.Ring().WriteCounter();
  if (!stage_.AppendSegment(token, fileGain, loudness)) return -1;
  const uint64_t latencyMs = uint64_t{bufferBytes_} * buffers_.size() * 1000 / stage_.DeviceBytesPerSecond();
  return static_cast<int>(latencyMs);
}

int CWaveOutput::DropQueuedFiles() {
  std::lock_guard<std::mutex> lock(deviceLock_);
  return stage_.DropQueuedSegments();
}

void CWaveOutput::Close() {
  std::lock_guard<std::mutex> lock(deviceLock_);
  CloseDeviceLocked();
  stage_.Ring().ResetCounters();
}

int CWaveOutput::QueuedBuffers() const {
  std::lock_guard<std::mutex> lock(deviceLock_);
  return static_cast<int>(
      std::count_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return b.queued; }));
}

void CWaveOutput::CloseDeviceLocked() {
  priming_ = false;
  primingPending_.store(false);
  if (!device_) return;
  const bool anyQueued =
      std::any_of(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return b.queued; });
  if (anyQueued) {
    // waveOutReset hands every queued buffer back marked done.
    ::waveOutReset(device_.get());
    for (Buffer& buffer : buffers_) {
      if (!buffer.queued) continue;
      ::waveOutUnprepareHeader(device_.get(), &buffer.header, sizeof(WAVEHDR));
      buffer.queued = false;
    }
    stage_.Abandon();
  }
  device_.reset();
  buffers_.clear();
}

bool CWaveOutput::QueueLocked(Buffer& buffer, uint32_t bytes) {
  WAVEHDR& header = buffer.header;
  header = WAVEHDR{};
  header.lpData = reinterpret_cast<LPSTR>(buffer.data.get());
  header.dwBufferLength = bytes != 0 ? std::min(bytes, bufferBytes_) : bufferBytes_;
  if (::waveOutPrepareHeader(device_.get(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    return false;
  }
  if (::waveOutWrite(device_.get(), &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    ::waveOutUnprepareHeader(device_.get(), &header, sizeof(WAVEHDR));
    return false;
  }
  buffer.queued = true;
  buffer.order = nextOrder_++;
  return true;
}

void CWaveOutput::RefillLoop() {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  for (;;) {
    // While the first buffers wait for samples, look at the ring often.
    ::WaitForSingleObject(wake_.get(), primingPending_.load() ? 2 : INFINITE);
    if (quit_.load()) return;
    bool drained;
    {
      std::lock_guard<std::mutex> lock(deviceLock_);
      if (priming_ && PrimeReadyLocked()) PrimeLocked();
      drained = ServeReturnedBuffersLocked();
    }
    if (drained && stage_.FinishDrain()) Notify(UM_TRACK_END, 0);
  }
}

void CWaveOutput::NoteNowPlayingLocked() {
  const Buffer* playing = nullptr;
  for (const Buffer& buffer : buffers_) {
    if (!buffer.queued) continue;
    if (playing == nullptr || static_cast<int32_t>(buffer.order - playing->order) < 0) playing = &buffer;
  }
  if (playing == nullptr) return;
  stage_.NoteNowPlaying(playing->streamEnd, [this](uint32_t token) { Notify(UM_FILE_HEARD, token); });
}

bool CWaveOutput::ServeReturnedBuffersLocked() {
  bool drained = false;
  for (;;) {
    // The event only says "something came back": look at the done flags,
    // and serve the oldest first so the ring is consumed in play order.
    Buffer* oldest = nullptr;
    for (Buffer& buffer : buffers_) {
      if (!buffer.queued || (buffer.header.dwFlags & WHDR_DONE) == 0) continue;
      if (oldest == nullptr || static_cast<int32_t>(buffer.order - oldest->order) < 0) oldest = &buffer;
    }
    if (oldest == nullptr) return drained;

    ::waveOutUnprepareHeader(device_.get(), &oldest->header, sizeof(WAVEHDR));
    oldest->queued = false;
    NoteNowPlayingLocked();
    switch (stage_.OnBufferDone(oldest->data.get(), bufferBytes_)) {
      case BufferAction::kRequeue:
        oldest->streamEnd = stage_.LastFillStreamEnd();
        if (!QueueLocked(*oldest) && stage_.BufferLost()) drained = true;
        break;
      case BufferAction::kFadeOut:
        if (!QueueLocked(*oldest, OutputStage::FadeOutBytes()) && stage_.BufferLost()) drained = true;
        break;
      case BufferAction::kIdle:
        break;
      case BufferAction::kDrained:
        drained = true;
        break;
    }
  }
}
