// The first audio stream of a file, decoded by Media Foundation's source
// reader into 16-bit interleaved PCM. Used by one thread at a time, which
// must have COM initialised and Media Foundation started (StartMediaFoundation).
// A decoder whose output is float is asked for float, which the reader
// rounds to 16 bits itself (to nearest, ties to even: what ffmpeg does); the
// system's own conversion dithers.
#pragma once
#include <windows.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/in_mf/com_ptr.h"
#include "plugins/in_mf/source_view.h"

struct PcmFormat {
  int sample_rate = 0;
  int channels = 0;
  bool decoder_gives_float = false;  // float from the decoder, converted here
};

class MfAudioReader {
 public:
  MfAudioReader() = default;
  ~MfAudioReader();
  MfAudioReader(const MfAudioReader&) = delete;
  MfAudioReader& operator=(const MfAudioReader&) = delete;

  // Opens the file and asks for 16-bit PCM when that is what the decoder
  // gives, else 32-bit float, else 16-bit PCM. With a view that is not
  // plain, the media source reads the view, or, when it cannot be made to,
  // the file as it is (through_view() tells). false: not openable, no audio
  // stream, or no format the plug-in can use.
  bool Open(const std::wstring& path, const SourceView& view = SourceView());
  bool through_view() const { return through_view_; }

  const PcmFormat& format() const { return format_; }
  int64_t duration_hns() const { return duration_hns_; }  // 0: unknown
  int bitrate() const { return bitrate_; }                // bits per second, 0: unknown

  // Seeks; the seek is carried out by the next Read (or by the reader's
  // end, which waits for it).
  bool Seek(int64_t hns);

  enum class Result { kData, kEnd, kError };
  // The next decoded block, appended to nothing: pcm is replaced. start_hns
  // is the block's time stamp. kData may come with an empty block.
  Result Read(std::vector<int16_t>& pcm, int64_t& start_hns);

 private:
  bool CreateReader(const std::wstring& path, const SourceView& view);
  bool ChooseOutputType();

  ComPtr<IMFSourceReader> reader_;
  bool seek_unread_ = false;  // a seek no Read has waited for yet
  bool through_view_ = false;
  PcmFormat format_;
  int64_t duration_hns_ = 0;
  int bitrate_ = 0;
};

// The length Media Foundation reports for a file (100 ns units), without
// setting up a decoder; 0 when the file cannot be opened.
int64_t ProbeDurationHns(const std::wstring& path);
