// The RIFF/WAVE header parser of in_wave.dll: finds the format and the sample
// data of a file. Portable (no <windows.h>): the plug-in, the native tests and
// the fuzz target all run this same code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/common/byte_source.h"

namespace wav {

// The parser reads only through a ByteSource, so a file on disk and a
// buffer in memory parse the same way.
using ::ByteSource;
using ::MemoryByteSource;

// What the decoder accepts; everything outside is refused.
constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 384000;
constexpr uint16_t kMaxChannels = 8;

enum class SampleKind { kInteger, kFloat };

struct WavFormat {
  SampleKind kind = SampleKind::kInteger;
  uint32_t sampleRate = 0;
  uint16_t channels = 0;
  // Bits each sample occupies in the file: 8 (unsigned), 16, 24 or 32
  // (signed little endian), or 32 for IEEE float. Samples narrower than their
  // container (12 bits in 16) are left-justified, so they play as the container.
  uint16_t bitsPerSample = 0;
  uint32_t frameBytes = 0;  // channels * bitsPerSample / 8
  uint64_t dataOffset = 0;  // file offset of the first frame
  uint64_t frameCount = 0;  // whole frames actually present in the file
};

enum class ParseResult {
  kOk,
  kNotWave,            // no RIFF/RF64 "WAVE" header
  kNoFormat,           // no usable "fmt " chunk before the walk ended
  kUnsupportedFormat,  // a format tag or sub-format this decoder does not play
  kBadFormatValues,    // channels, rate, sample size or block size out of range
  kNoData,             // no "data" chunk
  kEmptyData,          // a "data" chunk without one whole frame in the file
};

// Walks the chunks of a RIFF/WAVE (or RF64) file. Unknown chunks are skipped
// (odd sizes padded to even); a data size beyond the end of the file, or the
// "unknown length" value 0xFFFFFFFF, is clamped to the bytes present.
ParseResult ParseWav(ByteSource& source, WavFormat* format);

}  // namespace wav
