// Walking the boxes (atoms) of an MP4/M4A file, shared by the tag reader and
// the gapless reader. Every header read is bounded: by its container, by the
// data, and by a count per file, so crafted nesting or sizes cost little.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plugins/common/byte_source.h"

struct Mp4Box {
  uint64_t start = 0;  // offset of the header
  uint64_t body = 0;   // offset of the contents
  uint64_t end = 0;    // offset just past the box
  char type[4] = {};
  bool Is(const char* name) const;
  uint64_t body_size() const { return end - body; }
};

class Mp4BoxReader {
 public:
  // Children looked at per container, and box headers read per file.
  static constexpr int kMaxChildren = 4096;
  static constexpr int kMaxHeaderReads = 16384;

  explicit Mp4BoxReader(ByteSource& source) : source_(source) {}
  ByteSource& source() { return source_; }

  // Reads the box header at pos if the box fits inside [pos, limit).
  bool Read(uint64_t pos, uint64_t limit, Mp4Box& box);
  // The first child of the given type inside [begin, end).
  bool FindChild(uint64_t begin, uint64_t end, const char* type, Mp4Box& found);
  bool FindChild(const Mp4Box& parent, const char* type, Mp4Box& found) {
    return FindChild(parent.body, parent.end, type, found);
  }
  // The top-level "moov" box.
  bool FindMoov(Mp4Box& moov);
  // moov/udta/meta/ilst, the list of metadata items.
  bool FindItemList(const Mp4Box& moov, Mp4Box& ilst);
  // The whole body of a box of at most max_bytes; false when it is larger or
  // cannot be read.
  bool ReadBody(const Mp4Box& box, size_t max_bytes, std::vector<uint8_t>& out);

 private:
  ByteSource& source_;
  int reads_left_ = kMaxHeaderReads;
};

// A freeform item ("----"): its "mean" (e.g. "com.apple.iTunes"), its "name"
// and the value of its first "data" child (the bytes after the data type
// and locale). false when the item lacks one of them or its value is larger
// than max_value_bytes.
struct Mp4FreeformItem {
  std::string mean;
  std::string name;
  uint32_t data_type = 0;
  std::vector<uint8_t> value;
};
bool ReadMp4FreeformItem(Mp4BoxReader& reader, const Mp4Box& item, size_t max_value_bytes, Mp4FreeformItem& out);

