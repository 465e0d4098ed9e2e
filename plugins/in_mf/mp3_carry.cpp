#include "plugins/in_mf/mp3_carry.h"

#include <cstring>
#include <vector>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/mp3_frames.h"
#include "plugins/in_mf/tag_text.h"

namespace {

constexpr size_t kMaxFrameBytes = 1441;          // 320 kbit/s at 32 kHz, padded
constexpr uint64_t kTailWindow = 16 * 1024;      // of the previous file, read from its end
// One more frame at the front, for a decoder that drops the main data of the
// frame it starts on (whose reservoir lies before the stream).
constexpr int kWarmUpFrames = 1;

struct FirstFrame {
  bool found = false;
  uint64_t offset = 0;
  Mp3Frame frame;
  bool info_frame = false;  // Xing/Info or VBRI
  bool followed = false;    // a frame of the same stream follows it
};

// The first frame after the ID3v2 tag and any zero padding.
FirstFrame ReadFirstFrame(ByteSource& source) {
  FirstFrame first;
  TagFields ignored;
  const uint64_t id3_size = ReadId3v2(source, ignored);
  std::vector<uint8_t> buffer(kMp3LeadingZeroLimit + 2 * kMaxFrameBytes + 4);
  buffer.resize(source.ReadAt(id3_size, buffer.data(), buffer.size()));
  const size_t start = SkipMp3Padding(buffer.data(), buffer.size());
  if (start + 4 > buffer.size() || !ParseMp3Frame(&buffer[start], first.frame)) return first;
  first.found = true;
  first.offset = id3_size + start;
  first.info_frame = IsMp3InfoFrame(first.frame, &buffer[start], buffer.size() - start);
  const size_t second = start + first.frame.bytes;
  Mp3Frame next;
  first.followed = second + 4 <= buffer.size() && ParseMp3Frame(&buffer[second], next) &&
                   SameMp3Stream(first.frame, next);
  return first;
}

// Where the frames end: before an ID3v1 tag and an APEv2 tag (in that order
// from the end), when they are there.
uint64_t AudioEnd(ByteSource& source, uint64_t audio_start) {
  uint64_t end = source.Size();
  uint8_t b[32];
  if (end >= audio_start + 128 && source.ReadExact(end - 128, b, 3) && std::memcmp(b, "TAG", 3) == 0) end -= 128;
  if (end >= audio_start + 32 && source.ReadExact(end - 32, b, 32) && std::memcmp(b, "APETAGEX", 8) == 0) {
    // The size counts the items and the footer; a header (flag bit 31) adds 32.
    const uint64_t size = uint64_t(ReadLE32(b + 12)) + ((ReadLE32(b + 20) >> 31) ? 32 : 0);
    if (size <= end - audio_start) end -= size;
  }
  return end;
}

// Offsets (in window) of the longest run of frames of one stream that ends
// exactly at the window's end. From the end backwards, run[i] counts the
// frames of the run that starts at i, so every offset is looked at once.
std::vector<size_t> LastFrames(const std::vector<uint8_t>& window) {
  const size_t size = window.size();
  std::vector<uint32_t> run(size + 1, 0);
  size_t best = size;
  for (size_t i = size; i-- > 0;) {
    Mp3Frame frame, after;
    if (i + 4 > size || !ParseMp3Frame(&window[i], frame) || frame.bytes > size - i) continue;
    const size_t j = i + frame.bytes;
    if (j == size) {
      run[i] = 1;
    } else if (j + 4 <= size && run[j] > 0 && ParseMp3Frame(&window[j], after) && SameMp3Stream(frame, after)) {
      run[i] = run[j] + 1;
    }
    if (run[i] > 0 && (best == size || run[i] >= run[best])) best = i;
  }
  std::vector<size_t> offsets;
  if (best == size) return offsets;
  for (size_t i = best; i < size;) {
    Mp3Frame frame;
    ParseMp3Frame(&window[i], frame);
    offsets.push_back(i);
    i += frame.bytes;  // the run ends exactly at size
  }
  return offsets;
}

}  // namespace

Mp3Carry PlanMp3Carry(ByteSource& previous, ByteSource& next) {
  Mp3Carry carry;
  const FirstFrame next_first = ReadFirstFrame(next);
  const FirstFrame previous_first = ReadFirstFrame(previous);
  if (!next_first.found || !next_first.followed || next_first.info_frame) return carry;
  if (!previous_first.found || previous_first.info_frame) return carry;
  if (!SameMp3Stream(previous_first.frame, next_first.frame)) return carry;

  const uint64_t audio_start = previous_first.offset;
  const uint64_t audio_end = AudioEnd(previous, audio_start);
  if (audio_end <= audio_start) return carry;
  const uint64_t window_start = audio_end - audio_start > kTailWindow ? audio_end - kTailWindow : audio_start;
  std::vector<uint8_t> window;
  if (!previous.ReadBlock(window_start, static_cast<size_t>(audio_end - window_start), window)) return carry;
  const std::vector<size_t> frames = LastFrames(window);
  if (frames.empty()) return carry;

  // From the last frame back: enough main data before it for a full
  // reservoir, then one frame to warm up.
  size_t first = frames.size() - 1;
  Mp3Frame frame;
  ParseMp3Frame(&window[frames[first]], frame);
  if (!SameMp3Stream(frame, next_first.frame)) return carry;
  const size_t reservoir = frame.MaxReservoirBytes();
  size_t main_data = 0;
  while (main_data < reservoir && first > 0) {
    ParseMp3Frame(&window[frames[--first]], frame);
    main_data += frame.MainDataBytes();
  }
  // Too few frames for the reservoir: only when they are the whole file.
  if (main_data < reservoir && window_start + frames[0] != audio_start) return carry;
  for (int n = 0; n < kWarmUpFrames && first > 0; ++n) --first;

  carry.tail_frames = static_cast<int>(frames.size() - first);
  carry.tail_offset = window_start + frames[first];
  carry.tail_bytes = audio_end - carry.tail_offset;
  carry.samples_per_frame = next_first.frame.samples_per_frame;
  carry.next_audio_offset = next_first.offset;
  return carry;
}
