// Tags of a WAV file: an ID3v2 tag in a RIFF "id3 " chunk (the chunk some
// tag tools add; also spelt "ID3 "). Portable.
#pragma once
#include "plugins/in_mf/audio_tags.h"

// The fields of the first "id3 " chunk; all empty when there is none or it
// is not RIFF/WAVE. Reads at most the first kMaxWavTagBytes of the chunk.
TagFields ReadWavTags(ByteSource& source);

constexpr uint64_t kMaxWavTagBytes = 1024 * 1024;
