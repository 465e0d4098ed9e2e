// Sample conversion and time arithmetic of in_wave.dll. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

namespace wav {

// Float files are handed to the host as 32-bit signed integer PCM: the same
// width as the file, so frame sizes and positions do not change, and no
// precision of the 24-bit mantissa is lost before the host's own conversion.
// in: count little-endian IEEE floats, full scale +-1.0. out: count samples
// (may alias in). Values beyond full scale saturate, NaN becomes silence.
void FloatToInt32(const uint8_t* in, int32_t* out, size_t count);

// Milliseconds of frameCount frames at sampleRate (rounded down), at most
// INT32_MAX. sampleRate must be non-zero.
int32_t FramesToMs(uint64_t frameCount, uint32_t sampleRate);

// The frame a seek to ms lands on: clamped to 0..frameCount.
uint64_t MsToFrame(int64_t ms, uint32_t sampleRate, uint64_t frameCount);

}  // namespace wav
