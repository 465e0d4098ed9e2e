// The floor for CPU while playing: a program that plays a 16-bit PCM WAV
// file through the wave-out device as the player's output does (wave
// mapper, CALLBACK_EVENT, two buffers of 32768 bytes refilled from a thread
// that waits on the event) and does nothing else: no plug-in, no equalizer,
// no window. The file is read into memory once and loops until the given
// number of seconds has passed.
// Usage: bare_waveout <file.wav> <seconds>
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/wave_output.h"

namespace {

struct Pcm {
  WAVEFORMATEX format{};
  std::vector<char> data;
};

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The "fmt " and "data" chunks of a RIFF WAVE file; false when it is not
// 16-bit PCM.
bool ReadWav(const char* path, Pcm& pcm) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(file);
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = Le32(&bytes[at + 4]);
    const size_t body = at + 8;
    if (size > bytes.size() - body) return false;
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
      pcm.format.wFormatTag = Le16(&bytes[body]);
      pcm.format.nChannels = Le16(&bytes[body + 2]);
      pcm.format.nSamplesPerSec = Le32(&bytes[body + 4]);
      pcm.format.wBitsPerSample = Le16(&bytes[body + 14]);
      haveFormat = true;
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      pcm.data.assign(bytes.begin() + body, bytes.begin() + body + size);
    }
    at = body + size + (size & 1);
  }
  if (!haveFormat || pcm.format.wFormatTag != WAVE_FORMAT_PCM || pcm.format.wBitsPerSample != 16 ||
      pcm.format.nChannels == 0 || pcm.data.empty()) {
    return false;
  }
  pcm.format.nBlockAlign = static_cast<WORD>(pcm.format.nChannels * 2);
  pcm.format.nAvgBytesPerSec = pcm.format.nSamplesPerSec * pcm.format.nBlockAlign;
  pcm.data.resize(pcm.data.size() / pcm.format.nBlockAlign * pcm.format.nBlockAlign);
  return !pcm.data.empty();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bare_waveout <file.wav> <seconds>\n");
    return 2;
  }
  Pcm pcm;
  if (!ReadWav(argv[1], pcm)) {
    std::fprintf(stderr, "bare_waveout: not a 16-bit PCM WAV file\n");
    return 1;
  }
  const DWORD runMs = static_cast<DWORD>(std::atof(argv[2]) * 1000);
  HANDLE wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT device = nullptr;
  if (wake == nullptr || ::waveOutOpen(&device, WAVE_MAPPER, &pcm.format, reinterpret_cast<DWORD_PTR>(wake), 0,
                                       CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    std::fprintf(stderr, "bare_waveout: no device\n");
    return 1;
  }
  // The player's buffer count and size.
  constexpr int kCount = CWaveOutput::kBufferCount;
  constexpr size_t kBytes = CWaveOutput::kBufferBytes;
  std::vector<char> memory(kCount * kBytes);
  WAVEHDR headers[kCount] = {};
  size_t position = 0;
  auto fill = [&](WAVEHDR& header) {
    for (size_t done = 0; done < kBytes;) {
      const size_t take = std::min(kBytes - done, pcm.data.size() - position);
      std::memcpy(header.lpData + done, pcm.data.data() + position, take);
      done += take;
      position = (position + take) % pcm.data.size();
    }
    header.dwBufferLength = static_cast<DWORD>(kBytes);
    header.dwFlags &= ~WHDR_DONE;
    ::waveOutWrite(device, &header, sizeof(WAVEHDR));
  };
  for (int i = 0; i < kCount; ++i) {
    headers[i].lpData = memory.data() + i * kBytes;
    headers[i].dwBufferLength = static_cast<DWORD>(kBytes);
    ::waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR));
    fill(headers[i]);
  }
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < runMs) {
    ::WaitForSingleObject(wake, 100);
    for (WAVEHDR& header : headers) {
      if (header.dwFlags & WHDR_DONE) fill(header);
    }
  }
  ::waveOutReset(device);
  for (WAVEHDR& header : headers) ::waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
  ::waveOutClose(device);
  ::CloseHandle(wake);
  return 0;
}
