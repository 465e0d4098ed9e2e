// libFuzzer target: in_wave.dll's header parser and tag chunk reader on
// arbitrary bytes. An accepted file must describe frames that lie inside it;
// then the decoder's arithmetic runs on what the parser produced. Tag text
// must come out clean and the same on a second read.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "plugins/in_wave/wav_format.h"
#include "plugins/in_mf/tag_lookup.h"
#include "plugins/in_mf/tag_text.h"
#include "plugins/in_wave/wav_samples.h"
#include "plugins/in_wave/wav_tags.h"

namespace {

void CheckTags(const uint8_t* data, size_t size) {
  wav::MemoryByteSource source(data, size);
  const TagFields fields = ReadWavTags(source);
  wav::MemoryByteSource again(data, size);
  const TagFields second = ReadWavTags(again);
  for (const char* name : {"title", "artist", "album", "replaygain_track_gain", "replaygain_track_peak",
                           "replaygain_album_gain", "replaygain_album_peak"}) {
    std::string value, repeated;
    const bool found = LookUpTagValue(fields, name, value);
    if (found != LookUpTagValue(second, name, repeated) || value != repeated) std::abort();
    if (found && (value != CleanTagText(value) || value.size() > 2 * kMaxTagValueBytes)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckTags(data, size);
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
