// libFuzzer target: in_wave.dll's header parser on arbitrary bytes. An
// accepted file must describe frames that lie inside it; then the decoder's
// arithmetic runs on what the parser produced.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "plugins/in_wave/wav_format.h"
#include "plugins/in_wave/wav_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  wav::MemoryByteSource source(data, size);
  wav::WavFormat f;
  if (wav::ParseWav(source, &f) != wav::ParseResult::kOk) return 0;

  const bool sane = f.channels >= 1 && f.channels <= wav::kMaxChannels && f.sampleRate >= wav::kMinSampleRate &&
                    f.sampleRate <= wav::kMaxSampleRate && f.frameBytes == f.channels * f.bitsPerSample / 8u &&
                    f.frameCount > 0 && f.dataOffset + f.frameCount * f.frameBytes <= size;
  if (!sane) std::abort();

  // What the decoding thread does with the first block and a seek.
  const uint64_t frames = f.frameCount < 576 ? f.frameCount : 576;
  std::vector<uint8_t> block(static_cast<size_t>(frames) * f.frameBytes);
  if (source.ReadAt(f.dataOffset, block.data(), block.size()) != block.size()) std::abort();
  if (f.kind == wav::SampleKind::kFloat) {
    wav::FloatToInt32(block.data(), reinterpret_cast<int32_t*>(block.data()), block.size() / 4);
  }
  const int32_t length = wav::FramesToMs(f.frameCount, f.sampleRate);
  if (length < 0 || wav::MsToFrame(length, f.sampleRate, f.frameCount) > f.frameCount) std::abort();
  return 0;
}
