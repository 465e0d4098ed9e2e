// Fuzz entries of in_mf.dll's tag readers, MP3/MP4 gapless readers and the
// MP3 carry between files of a set. Besides
// "no crash, no read outside the data" (the sanitizers' part) they check
// what every caller relies on: clean, bounded text; a bounded number of
// reads (time); the same answer on a second read; and the format detection
// agreeing with the reader it picks.
#include "fuzz/in_mf/fuzz_entries.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "plugins/in_mf/mp3_frames.h"
#include "plugins/in_mf/mp3_gapless.h"
#include "plugins/in_mf/tag_lookup.h"
#include "plugins/in_mf/mp4_gapless.h"
#include "plugins/in_mf/source_view.h"
#include "plugins/in_mf/tag_text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Counts what a reader asks of the data. Reads outside it are the reader's
// business (they come back short), but their number bounds its time.
class CountingSource : public ByteSource {
 public:
  CountingSource(const uint8_t* data, size_t size) : inner_(data, size) {}
  uint64_t Size() const override { return inner_.Size(); }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    ++reads_;
    bytes_ += n;
    return inner_.ReadAt(offset, buffer, n);
  }
  uint64_t reads() const { return reads_; }
  uint64_t bytes() const { return bytes_; }

 private:
  MemoryByteSource inner_;
  uint64_t reads_ = 0;
  uint64_t bytes_ = 0;
};

// Far above what any reader needs for a file, far below what a reader that
// loops on a crafted size would do.
constexpr uint64_t kMaxReads = 40000;
constexpr uint64_t kMaxBytesAsked = 8 * 1024 * 1024;

void CheckText(const std::string& text) {
  // UTF-16 turns 2 bytes into at most 3, Latin-1 1 into 2.
  Check(text.size() <= kMaxTagValueBytes * 2);
  Check(text == CleanTagText(text));
  for (char c : text) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

// Every text field, in a fixed order.
std::vector<const std::string*> Texts(const TagFields& f) {
  return {&f.title,     &f.artist,    &f.album,     &f.trackGain,     &f.trackPeak,
          &f.albumGain, &f.albumPeak, &f.r128TrackGain, &f.r128AlbumGain};
}

void CheckFields(const TagFields& fields) {
  for (const std::string* text : Texts(fields)) CheckText(*text);
  // The answers the plug-ins give the host come from these fields only.
  for (const char* name : {"title", "artist", "album", "replaygain_track_gain", "replaygain_track_peak",
                           "replaygain_album_gain", "replaygain_album_peak"}) {
    std::string value;
    if (LookUpTagValue(fields, name, value)) CheckText(value);
  }
}

void CheckCost(const CountingSource& source) {
  Check(source.reads() <= kMaxReads);
  Check(source.bytes() <= kMaxBytesAsked);
}

bool Same(const TagFields& a, const TagFields& b) {
  const auto x = Texts(a), y = Texts(b);
  for (size_t i = 0; i < x.size(); ++i) {
    if (*x[i] != *y[i]) return false;
  }
  return true;
}

// Runs `read` on the data twice: bounded, clean, and the same both times.
template <typename Read>
TagFields Run(const uint8_t* data, size_t size, Read read) {
  CountingSource source(data, size);
  TagFields fields;
  read(source, fields);
  CheckCost(source);
  CheckFields(fields);
  CountingSource again(data, size);
  TagFields second;
  read(again, second);
  Check(Same(fields, second));
  // The title composed for the play list is clean too.
  const std::string title = ComposeTagTitle(fields);
  Check(title == CleanTagText(title));
  Check(title.empty() == fields.title.empty());
  return fields;
}

// The whole detection as the plug-in runs it on every file.
void CheckDetection(const uint8_t* data, size_t size) {
  CountingSource source(data, size);
  CheckFields(ReadAudioTags(source));
  // Detection reads several tags: the bounds add up, but only a little.
  Check(source.reads() <= 2 * kMaxReads && source.bytes() <= 2 * kMaxBytesAsked);
}

}  // namespace

TagFields FuzzId3v2(const uint8_t* data, size_t size) {
  uint64_t tag_size = 0;
  const TagFields fields = Run(data, size, [&](ByteSource& source, TagFields& out) {
    tag_size = ReadId3v2(source, out);
  });
  // 0 (no tag) or at least the header; a 28-bit size plus header and footer.
  Check(tag_size == 0 || (tag_size >= 10 && tag_size <= 10 + 0x0FFFFFFFull + 10));
  if (tag_size == 0) Check(fields.title.empty() && fields.artist.empty() && fields.trackGain.empty());
  CheckDetection(data, size);
  return fields;
}

TagFields FuzzId3v1(const uint8_t* data, size_t size) {
  const TagFields fields = Run(data, size, [](ByteSource& source, TagFields& out) { ReadId3v1(source, out); });
  // 30 Latin-1 characters, each at most 2 bytes of UTF-8.
  Check(fields.title.size() <= 60 && fields.artist.size() <= 60);
  // Fields already filled are kept.
  MemoryByteSource source(data, size);
  TagFields filled;
  filled.title = "kept";
  ReadId3v1(source, filled);
  Check(filled.title == "kept");
  return fields;
}

TagFields FuzzMp4Tags(const uint8_t* data, size_t size) {
  const TagFields fields = Run(data, size, [](ByteSource& source, TagFields& out) { ReadMp4Tags(source, out); });
  CheckDetection(data, size);
  return fields;
}

TagFields FuzzAsfTags(const uint8_t* data, size_t size) {
  const TagFields fields = Run(data, size, [](ByteSource& source, TagFields& out) { ReadAsfTags(source, out); });
  // Title and author are counted in 16-bit lengths.
  Check(fields.title.size() <= 65535 / 2 * 3 && fields.artist.size() <= 65535 / 2 * 3);
  CheckDetection(data, size);
  return fields;
}

TagFields FuzzFlacComments(const uint8_t* data, size_t size) {
  const TagFields fields = Run(data, size, [](ByteSource& source, TagFields& out) {
    TagFields id3;
    const uint64_t id3_size = ReadId3v2(source, id3);
    ReadFlacComments(source, id3_size, out);
  });
  CheckDetection(data, size);
  return fields;
}

void FuzzMp3Gapless(const uint8_t* data, size_t size) {
  if (size < 8) return;
  int64_t decoder_frames = 0;
  std::memcpy(&decoder_frames, data, 8);
  data += 8;
  size -= 8;
  CountingSource source(data, size);
  TagFields ignored;
  const uint64_t id3_size = ReadId3v2(source, ignored);
  const Mp3GaplessInfo info = ReadMp3GaplessInfo(source, id3_size);
  CheckCost(source);
  if (info.valid) {
    Check(info.sample_rate >= 8000 && info.sample_rate <= 48000);
    Check(info.samples_per_frame == 1152 || info.samples_per_frame == 576);
    Check(info.encoder_delay >= 0 && info.encoder_delay < 4096);
    Check(info.encoder_padding >= 0 && info.encoder_padding < 4096);
  }
  const DecoderTrim trim = PlanMp3Trim(info, decoder_frames);
  Check(trim.lead_frames >= 0);
  Check(trim.content_frames == -1 || trim.content_frames > 0);
  if (trim.content_frames > 0) {
    // Trimming happens only for a header that says what to trim, and never
    // asks for more than the frames the header counts.
    Check(info.valid);
    Check(trim.lead_frames + trim.content_frames <=
          (int64_t(info.frames) + 1) * info.samples_per_frame + kMp3DecoderDelay);
  } else {
    Check(trim.lead_frames == 0);
  }
}

Mp4Content FuzzMp4Gapless(const uint8_t* data, size_t size) {
  if (size < 8) return Mp4Content{};
  int64_t decoder_frames = 0;
  std::memcpy(&decoder_frames, data, 8);
  data += 8;
  size -= 8;
  CountingSource source(data, size);
  const Mp4GaplessInfo info = ReadMp4GaplessInfo(source);
  CheckCost(source);
  const Mp4Content content = Mp4RealSamples(info);
  if (content.from != Mp4Content::From::kNone) {
    Check(info.valid());
    Check(content.length > 0 && content.start < info.media_length);
    Check(content.length <= info.media_length - content.start);
  }
  // Patches only where there is something to trim, each inside the data.
  const std::vector<BytePatch> patches = Mp4SourcePatches(info);
  Check(patches.empty() || content.from != Mp4Content::From::kNone);
  std::vector<uint8_t> patched(data, data + size);
  for (const BytePatch& patch : patches) {
    Check(patch.bytes.size() == 4 || patch.bytes.size() == 8);
    Check(patch.offset <= size && patch.bytes.size() <= size - patch.offset);
  }
  ApplyBytePatches(patches, 0, patched.data(), patched.size());
  // What the media source then sees: the same track, a movie covering it.
  MemoryByteSource again(patched);
  const Mp4GaplessInfo seen = ReadMp4GaplessInfo(again);
  Check(seen.timescale == info.timescale && seen.media_length == info.media_length);
  for (int rate : {44100, 8000, 96000}) {
    const DecoderTrim trim = PlanMp4Trim(info, rate, decoder_frames);
    Check(trim.lead_frames >= 0);
    Check(trim.content_frames == -1 || trim.content_frames > 0);
    if (trim.content_frames > 0) {
      Check(content.from != Mp4Content::From::kNone);
      // Within the whole media at that rate, give or take rounding.
      const long double whole = static_cast<long double>(info.media_length) * rate / info.timescale;
      Check(trim.lead_frames + trim.content_frames <= whole + 2);
      Check(trim.content_frames == Mp4ContentFrames(info, rate));
    } else {
      Check(trim.lead_frames == 0);
    }
  }
  return content;
}

Mp3Carry FuzzMp3Carry(const uint8_t* data, size_t size) {
  if (size < 2) return Mp3Carry{};
  const size_t split = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
  const uint8_t* previous_data = data + 2;
  const uint8_t* next_data = previous_data + split;
  const size_t next_size = size - 2 - split;
  CountingSource previous(previous_data, split), next(next_data, next_size);
  const Mp3Carry carry = PlanMp3Carry(previous, next);
  CheckCost(previous);
  CheckCost(next);
  CountingSource previous_again(previous_data, split), next_again(next_data, next_size);
  const Mp3Carry again = PlanMp3Carry(previous_again, next_again);
  Check(again.tail_frames == carry.tail_frames && again.tail_offset == carry.tail_offset &&
        again.tail_bytes == carry.tail_bytes && again.next_audio_offset == carry.next_audio_offset);
  if (!carry.valid()) return carry;
  // Whole frames of the next file's stream, inside the previous file, from
  // the part of it read at its end.
  Check(carry.samples_per_frame == 576 || carry.samples_per_frame == 1152);
  Check(carry.lead_frames() == int64_t(carry.tail_frames) * carry.samples_per_frame);
  Check(carry.tail_bytes > 0 && carry.tail_bytes <= 16 * 1024);
  Check(carry.tail_offset <= split && carry.tail_bytes <= split - carry.tail_offset);
  Check(carry.next_audio_offset + 4 <= next_size);
  Mp3Frame first;
  Check(ParseMp3Frame(next_data + carry.next_audio_offset, first));
  Check(first.samples_per_frame == carry.samples_per_frame);
  const uint8_t* tail = previous_data + carry.tail_offset;
  size_t at = 0;
  int frames = 0;
  while (at < carry.tail_bytes) {
    Mp3Frame frame;
    Check(carry.tail_bytes - at >= 4 && ParseMp3Frame(tail + at, frame) && SameMp3Stream(frame, first));
    at += frame.bytes;
    ++frames;
  }
  Check(at == carry.tail_bytes && frames == carry.tail_frames);
  // What the media source then reads: the carried frames, then the next
  // file from its first frame.
  SourceView view;
  view.head.assign(tail, tail + carry.tail_bytes);
  view.file_from = carry.next_audio_offset;
  MemoryByteSource next_file(next_data, next_size);
  const uint64_t view_size = view.Size(next_size);
  Check(view_size == carry.tail_bytes + next_size - carry.next_audio_offset);
  std::vector<uint8_t> shown(static_cast<size_t>(view_size) + 8);
  Check(view.Read(next_file, 0, shown.data(), shown.size()) == view_size);
  Check(std::memcmp(shown.data(), tail, carry.tail_bytes) == 0);
  Check(std::memcmp(shown.data() + carry.tail_bytes, next_data + carry.next_audio_offset,
                    next_size - carry.next_audio_offset) == 0);
  return carry;
}
