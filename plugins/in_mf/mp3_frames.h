// MPEG audio layer III frame headers, read one at a time: what the plug-in's
// MP3 readers need to find and walk a file's frames.
#pragma once
#include <cstddef>
#include <cstdint>

struct Mp3Frame {
  int version_bits = 0;        // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  int sample_rate = 0;
  int samples_per_frame = 0;   // 1152 (MPEG-1) or 576
  bool mono = false;
  bool crc = false;            // a 16-bit check word follows the header
  size_t bytes = 0;            // the whole frame, header included
  size_t side_info_bytes = 0;  // 17 or 32 (MPEG-1), 9 or 17

  bool mpeg1() const { return version_bits == 3; }
  // Where the side information starts, and where the frame's own main data does.
  size_t SideInfoOffset() const { return crc ? 6 : 4; }
  size_t MainDataOffset() const { return SideInfoOffset() + side_info_bytes; }
  // Bytes of main data the frame carries (its own or later frames').
  size_t MainDataBytes() const { return bytes > MainDataOffset() ? bytes - MainDataOffset() : 0; }
  // The furthest a frame's main data may start before it, in main-data
  // bytes of earlier frames (the bit reservoir): 9 bits, or 8 bits.
  size_t MaxReservoirBytes() const { return mpeg1() ? 511 : 255; }
};

// Parses the 4 header bytes at h. False for anything but a layer III frame
// with a bitrate from the table (free-format frames have no length to walk by).
bool ParseMp3Frame(const uint8_t* h, Mp3Frame& out);

// The frame's main_data_begin: how many main-data bytes of earlier frames
// its main data starts in. frame holds at least SideInfoOffset() + 2 bytes.
size_t Mp3MainDataBegin(const Mp3Frame& frame, const uint8_t* frame_bytes);

// Frames of one stream: same MPEG version, sample rate and channel count.
// A decoder cannot change these in mid-stream.
bool SameMp3Stream(const Mp3Frame& a, const Mp3Frame& b);

// Whether the frame at frame_bytes (available bytes of it) is an encoder's
// information frame (Xing/Info, VBRI), which decoders play as silence or skip
// rather than as sound.
bool IsMp3InfoFrame(const Mp3Frame& frame, const uint8_t* frame_bytes, size_t available);

// Zero padding some encoders write before the first frame, at most this long.
constexpr size_t kMp3LeadingZeroLimit = 4096;
// Offset in data of the first byte that is not zero, at most kMp3LeadingZeroLimit.
size_t SkipMp3Padding(const uint8_t* data, size_t size);
