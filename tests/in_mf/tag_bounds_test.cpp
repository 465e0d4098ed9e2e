// The tag readers on tags that claim far more than any file holds: a 2 GiB
// frame, 100,000 frames, atoms nested 10,000 deep, blocks and objects sized
// past the data. Each is refused or cut, and the reader neither allocates
// what the tag claims nor reads the gigabytes a file of that size offers.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

#include "plugins/in_mf/audio_tags.h"
#include "tests/in_mf/tag_builders.h"

// The largest single allocation made through operator new since the last
// reset (this executable's own allocator).
static std::atomic<size_t> g_largestAllocation{0};

void* operator new(size_t n) {
  size_t seen = g_largestAllocation.load();
  while (n > seen && !g_largestAllocation.compare_exchange_weak(seen, n)) {
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr size_t kMiB = 1024 * 1024;

// A file of any claimed size whose bytes come from a function of their
// offset (a header in front, then whatever the test generates), counting
// what the reader asks for.
class ClaimedSource : public ByteSource {
 public:
  ClaimedSource(uint64_t size, Bytes head, std::function<uint8_t(uint64_t)> rest = nullptr)
      : size_(size), head_(std::move(head)), rest_(std::move(rest)) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    ++reads_;
    if (offset >= size_) return 0;
    if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
    bytes_ += n;
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t at = offset + i;
      out[i] = at < head_.size() ? head_[static_cast<size_t>(at)] : rest_ ? rest_(at) : 0;
    }
    return n;
  }
  uint64_t reads() const { return reads_; }
  uint64_t bytes() const { return bytes_; }

 private:
  uint64_t size_;
  Bytes head_;
  std::function<uint8_t(uint64_t)> rest_;
  uint64_t reads_ = 0;
  uint64_t bytes_ = 0;
};

struct Cost {
  TagFields fields;
  size_t largestAllocation;
  uint64_t reads;
  uint64_t bytes;
};

Cost Measure(ClaimedSource& source, const std::function<void(ByteSource&, TagFields&)>& read) {
  Cost cost;
  g_largestAllocation = 0;
  read(source, cost.fields);
  cost.largestAllocation = g_largestAllocation;
  cost.reads = source.reads();
  cost.bytes = source.bytes();
  return cost;
}

Cost MeasureAll(ClaimedSource& source) {
  return Measure(source, [](ByteSource& s, TagFields& f) { f = ReadAudioTags(s); });
}

Bytes Id3Header(int version, uint8_t flags, uint32_t size) {
  Bytes out;
  AppendText(out, "ID3");
  out.push_back(uint8_t(version));
  out.push_back(0);
  out.push_back(flags);
  AppendSyncSafe(out, size);
  return out;
}

Bytes FrameHeader(const std::string& id, uint32_t size) {
  Bytes out;
  AppendText(out, id);
  AppendBE32(out, size);
  out.push_back(0), out.push_back(0);
  return out;
}

TEST(TagBounds, Id3v2FramesClaimingGigabytes) {
  // A 3 GiB file whose 256 MiB tag starts with a TIT2 frame of 2 GiB:
  // refused, the TPE1 after the tag's end is never looked for.
  Bytes head = Id3Header(3, 0, 0x0FFFFFFF);
  Append(head, FrameHeader("TIT2", 0x7FFFFFFF));
  ClaimedSource huge(3 * kGiB, head, [](uint64_t) { return uint8_t('x'); });
  Cost cost = MeasureAll(huge);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LT(cost.largestAllocation, 64 * 1024u);
  EXPECT_LT(cost.bytes, 64 * 1024u);

  // A 200 MiB frame inside the tag is skipped, not read; the next frame is.
  head = Id3Header(3, 0, 0x0FFFFFFF);
  Append(head, FrameHeader("TIT2", 200 * kMiB));
  const uint64_t next = head.size() + 200 * kMiB;
  Bytes tpe1 = Id3Frame(3, "TPE1", Id3Text(0, Latin1("After")));
  ClaimedSource skipped(3 * kGiB, head, [&](uint64_t at) {
    return at >= next && at < next + tpe1.size() ? tpe1[static_cast<size_t>(at - next)] : uint8_t(0x41);
  });
  cost = MeasureAll(skipped);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_EQ(cost.fields.artist, "After");
  EXPECT_LT(cost.largestAllocation, 64 * 1024u);
  EXPECT_LT(cost.bytes, 64 * 1024u);

  // Tag-wide unsynchronisation is undone on a copy: at most 1 MiB of a tag
  // claiming 256 MiB, and no more than a short file holds.
  ClaimedSource unsync(3 * kGiB, Id3Header(3, 0x80, 0x0FFFFFFF));
  cost = MeasureAll(unsync);
  EXPECT_LE(cost.largestAllocation, kMiB);
  ClaimedSource shortUnsync(200, Id3Header(3, 0x80, 0x0FFFFFFF));
  cost = MeasureAll(shortUnsync);
  EXPECT_LT(cost.largestAllocation, 4096u);
}

TEST(TagBounds, Id3v2HundredThousandFrames) {
  // 100,000 TIT2 frames whose text is empty, then the artist: the frame walk
  // is cut long before, after a bounded number of reads.
  Bytes body;
  for (int i = 0; i < 100000; ++i) Append(body, Id3Frame(4, "TIT2", Bytes{0, 0}));
  Append(body, Id3Frame(4, "TPE1", Id3Text(0, Latin1("Never"))));
  ClaimedSource many(10 + body.size() + 1000, [&] {
    Bytes all = Id3Header(4, 0, uint32_t(body.size()));
    Append(all, body);
    return all;
  }());
  Cost cost = MeasureAll(many);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_TRUE(cost.fields.artist.empty());
  EXPECT_LT(cost.reads, 10000u);

  // Big empty text frames one after another (60,000 bytes each, as many as a
  // 256 MiB tag holds): the text read for one tag is bounded in all.
  constexpr uint64_t kPeriod = 10 + 60000;
  ClaimedSource bigFrames(3 * kGiB, Id3Header(3, 0, 0x0FFFFFFF), [&](uint64_t at) {
    const uint64_t inFrame = (at - 10) % kPeriod;
    static const Bytes header = FrameHeader("TIT2", 60000);
    return inFrame < header.size() ? header[static_cast<size_t>(inFrame)] : uint8_t(0);
  });
  cost = MeasureAll(bigFrames);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LT(cost.bytes, 2 * kMiB);
  EXPECT_LT(cost.largestAllocation, 128 * 1024u);
}

// `depth` atoms of `type`, each the only child of the one before, around `inner`.
Bytes NestedAtoms(const std::string& type, int depth, const Bytes& inner) {
  Bytes out;
  for (int i = 0; i < depth; ++i) {
    AppendBE32(out, uint32_t(inner.size() + 8 * size_t(depth - i)));
    AppendText(out, type);
  }
  Append(out, inner);
  return out;
}

Bytes Mp4Head() { return Mp4Atom("ftyp", Bytes{'M', '4', 'A', ' ', 0, 0, 0, 0}); }

TEST(TagBounds, Mp4AtomsNestedAndClaimingGigabytes) {
  // 10,000 atoms nested inside each other, once as "moov", once as an item
  // inside a real ilst: the reader walks fixed levels, so it reads a handful
  // and goes on with the next item.
  for (const std::string& type : {std::string("moov"), std::string("\xA9nam")}) {
    const Bytes nested = NestedAtoms(type, 10000, Mp4TextItem("\xA9" "ART", "Inner"));
    Bytes file = Mp4Head();
    if (type == "moov") {
      Append(file, nested);
    } else {
      Bytes ilst = nested;
      Append(ilst, Mp4TextItem("\xA9" "ART", "Artist"));
      file = Mp4File(ilst);
    }
    ClaimedSource source(file.size(), file);
    Cost cost = MeasureAll(source);
    EXPECT_TRUE(cost.fields.title.empty()) << type;
    EXPECT_EQ(cost.fields.artist, type == "moov" ? "" : "Artist");
    EXPECT_LT(cost.reads, 100u) << type;
  }

  // A data atom claiming 2 GiB by its 64-bit size, in a 3 GiB file whose
  // containers all run to its end (size 0): it fits them, and is refused.
  Bytes file = Mp4Head();
  for (const char* type : {"moov", "udta", "meta"}) {
    AppendBE32(file, 0);
    AppendText(file, type);
  }
  AppendBE32(file, 0);  // meta's version and flags
  for (const char* type : {"ilst", "\xA9nam"}) {
    AppendBE32(file, 0);
    AppendText(file, type);
  }
  AppendBE32(file, 1);
  AppendText(file, "data");
  AppendBE32(file, 0), AppendBE32(file, 0x80000000u);
  AppendBE32(file, 1), AppendBE32(file, 0);
  ClaimedSource claimed(3 * kGiB, file, [](uint64_t) { return uint8_t('t'); });
  Cost cost = MeasureAll(claimed);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LT(cost.largestAllocation, 64 * 1024u);
  EXPECT_LT(cost.bytes, 64 * 1024u);

  // 20,000 title items, each holding 100 atoms but no data: the atom walk is
  // bounded for the whole file, not per item.
  Bytes ilst;
  Bytes children;
  for (int i = 0; i < 100; ++i) Append(children, Mp4Atom("free", Bytes{}));
  const Bytes crowded = Mp4Atom("\xA9nam", children);
  for (int i = 0; i < 20000; ++i) Append(ilst, crowded);
  Append(ilst, Mp4TextItem("\xA9" "ART", "Artist"));
  Bytes crowdedFile = Mp4File(ilst);
  ClaimedSource many(crowdedFile.size(), crowdedFile);
  cost = MeasureAll(many);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LE(cost.reads, 20000u);
}

TEST(TagBounds, FlacBlocksAndCommentsClaimingMore) {
  // A comment block claiming 16 MiB in a file of a few hundred bytes: the
  // reader allocates what the file holds, and still finds the comment.
  Bytes file = FlacWithComments({"TITLE=Short"});
  const size_t lengthAt = 4 + 4 + 34 + 1;
  file[lengthAt] = 0xFF, file[lengthAt + 1] = 0xFF, file[lengthAt + 2] = 0xFF;
  ClaimedSource small(file.size(), file);
  Cost cost = MeasureAll(small);
  EXPECT_EQ(cost.fields.title, "Short");
  EXPECT_LT(cost.largestAllocation, 4096u);

  // 100,000 comments claimed, two present, then one claiming 2 GiB.
  Bytes block;
  AppendLE32(block, 0);
  AppendLE32(block, 100000);
  for (const char* comment : {"A=1", "B=2"}) {
    AppendLE32(block, 3);
    AppendText(block, comment);
  }
  AppendLE32(block, 0x80000000u);
  AppendText(block, "TITLE=x");
  Bytes flac;
  AppendText(flac, "fLaC");
  flac.push_back(0x84);
  flac.push_back(uint8_t(block.size() >> 16)), flac.push_back(uint8_t(block.size() >> 8));
  flac.push_back(uint8_t(block.size()));
  Append(flac, block);
  ClaimedSource claimed(3 * kGiB, flac);
  cost = MeasureAll(claimed);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LE(cost.largestAllocation, kMiB);

  // A value longer than any title is skipped, not kept.
  Bytes big = FlacWithComments({"TITLE=" + std::string(kMaxTagValueBytes + 1, 'y'), "ARTIST=A"});
  ClaimedSource bigSource(big.size(), big);
  cost = MeasureAll(bigSource);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_EQ(cost.fields.artist, "A");
}

TEST(TagBounds, AsfObjectsClaimingMore) {
  // 100,000 header objects claimed, each an empty unknown object, then the
  // content description: the walk stops at its bound first.
  Bytes file = AsfFile(u"Title", u"Author");
  Bytes objects;
  Bytes empty(24, 0);
  empty[0] = 0x01;
  empty[16] = 24;
  for (int i = 0; i < 100000; ++i) Append(objects, empty);
  Bytes many(file.begin(), file.begin() + 30);
  Append(many, objects);
  Append(many, Bytes(file.begin() + 30, file.end()));
  const uint64_t headerSize = many.size();
  for (int i = 0; i < 8; ++i) many[16 + i] = uint8_t(headerSize >> (8 * i));
  many[24] = 0xA0, many[25] = 0x86, many[26] = 0x01, many[27] = 0;  // 100,000 objects
  ClaimedSource manySource(many.size(), many);
  Cost cost = MeasureAll(manySource);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LE(cost.reads, 2000u);

  // The content description claiming 2 GiB inside a header claiming 3 GiB.
  const size_t content = 30 + 64;  // after the header and AsfFile's first object
  Bytes claimed(file.begin(), file.begin() + 30);
  Append(claimed, Bytes(file.begin() + content, file.begin() + content + 16));
  AppendLE64(claimed, 0x80000000u);
  for (int i = 0; i < 8; ++i) claimed[16 + i] = uint8_t((3 * kGiB) >> (8 * i));
  ClaimedSource claimedSource(3 * kGiB, claimed);
  cost = MeasureAll(claimedSource);
  EXPECT_TRUE(cost.fields.title.empty());
  EXPECT_LT(cost.largestAllocation, 64 * 1024u);
}

}  // namespace
