// MP4 files with the timing boxes of one audio track, built in memory: movie
// header, edit list, media header, sample durations and an iTunSMPB item.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/in_mf/tag_builders.h"

struct Mp4Edit {
  uint64_t duration;   // movie time scale
  int64_t media_time;  // -1: empty edit
  uint32_t rate = 0x00010000;
};

struct Mp4Layout {
  std::vector<std::pair<uint32_t, uint32_t>> stts;  // (sample count, duration)
  uint32_t media_timescale = 44100, movie_timescale = 1000;
  uint64_t movie_duration = 0;
  int header_version = 0;  // of mvhd and mdhd
  bool with_edts = false;
  int elst_version = 0;
  std::vector<Mp4Edit> edits;
  std::string smpb;          // iTunSMPB text; empty: no item
  bool video_first = false;  // a video track before the audio one
};

inline void AppendBE(Bytes& out, uint64_t v, bool wide) {
  if (wide) AppendBE32(out, uint32_t(v >> 32));
  AppendBE32(out, uint32_t(v));
}

inline Bytes Mp4FullBox(const std::string& type, int version, const Bytes& body) {
  Bytes b{uint8_t(version), 0, 0, 0};
  Append(b, body);
  return Mp4Atom(type, b);
}

inline Bytes Mp4TimeHeader(const std::string& type, int version, uint32_t timescale, uint64_t duration) {
  Bytes b;
  AppendBE(b, 0, version == 1), AppendBE(b, 0, version == 1), AppendBE32(b, timescale);
  AppendBE(b, duration, version == 1);
  b.resize(b.size() + (type == "mvhd" ? 80 : 4), 0);
  return Mp4FullBox(type, version, b);
}

inline Bytes Mp4Track(const Mp4Layout& s, const std::string& kind) {
  Bytes stts, hdlr(4, 0), elst;
  AppendBE32(stts, uint32_t(s.stts.size()));
  uint64_t media = 0;
  for (const auto& e : s.stts) {
    AppendBE32(stts, e.first), AppendBE32(stts, e.second), media += uint64_t(e.first) * e.second;
  }
  AppendText(hdlr, kind);
  hdlr.resize(hdlr.size() + 13, 0);
  Bytes mdia = Mp4TimeHeader("mdhd", s.header_version, s.media_timescale, media);
  Append(mdia, Mp4FullBox("hdlr", 0, hdlr));
  Append(mdia, Mp4Atom("minf", Mp4Atom("stbl", Mp4FullBox("stts", 0, stts))));
  Bytes trak = Mp4FullBox("tkhd", 0, Bytes(80, 0));
  AppendBE32(elst, uint32_t(s.edits.size()));
  for (const Mp4Edit& e : s.edits) {
    AppendBE(elst, e.duration, s.elst_version == 1), AppendBE(elst, uint64_t(e.media_time), s.elst_version == 1);
    AppendBE32(elst, e.rate);
  }
  if (s.with_edts) Append(trak, Mp4Atom("edts", Mp4FullBox("elst", s.elst_version, elst)));
  Append(trak, Mp4Atom("mdia", mdia));
  return Mp4Atom("trak", trak);
}

inline Bytes Mp4TimedFile(const Mp4Layout& s) {
  Bytes out = Mp4Atom("ftyp", Bytes{'M', '4', 'A', ' ', 0, 0, 0, 0, 'i', 's', 'o', 'm'});
  Append(out, Mp4Atom("mdat", Bytes(64, 0x11)));
  Bytes moov = Mp4TimeHeader("mvhd", s.header_version, s.movie_timescale, s.movie_duration);
  if (s.video_first) {
    Mp4Layout video = s;
    video.media_timescale = 90000, video.stts = {{10, 3000}}, video.edits = {{4000, 0}};
    Append(moov, Mp4Track(video, "vide"));
  }
  Append(moov, Mp4Track(s, "soun"));
  if (!s.smpb.empty()) {
    Bytes meta(4, 0), ilst = Mp4TextItem("\xA9too", "encoder");
    Append(meta, Mp4Atom("hdlr", Bytes(25, 0)));
    Append(ilst, Mp4FreeformText("com.apple.iTunes", "iTunNORM", " 00000000 00000000"));
    Append(ilst, Mp4FreeformText("com.apple.iTunes", "iTunSMPB", s.smpb));
    Append(meta, Mp4Atom("ilst", ilst));
    Append(moov, Mp4Atom("udta", Mp4Atom("meta", meta)));
  }
  Append(out, Mp4Atom("moov", moov));
  return out;
}
