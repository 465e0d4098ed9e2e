#include "plugins/in_mf/mf_audio_reader.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <propvarutil.h>

#include "plugins/in_mf/pcm_frames.h"
#include "plugins/in_mf/view_byte_stream.h"

namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
constexpr DWORD kSource = static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE);

int64_t DurationOf(IMFSourceReader* reader) {
  PROPVARIANT value;
  PropVariantInit(&value);
  int64_t duration = 0;
  if (SUCCEEDED(reader->GetPresentationAttribute(kSource, MF_PD_DURATION, &value)) && value.vt == VT_UI8) {
    duration = static_cast<int64_t>(value.uhVal.QuadPart);
  }
  PropVariantClear(&value);
  return duration;
}

bool RequestType(IMFSourceReader* reader, const GUID& subtype, UINT32 bits) {
  ComPtr<IMFMediaType> type;
  if (FAILED(MFCreateMediaType(type.put()))) return false;
  type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
  type->SetGUID(MF_MT_SUBTYPE, subtype);
  type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, bits);
  return SUCCEEDED(reader->SetCurrentMediaType(kAudio, nullptr, type.get()));
}

}  // namespace

// Wine's media source (GStreamer underneath) frees its pipeline twice and
// takes the process down when it is shut down while it still carries out a
// seek; a stop that comes right after a seek is common. One block read after
// the seek waits until the source has done it.
MfAudioReader::~MfAudioReader() {
  if (!reader_ || !seek_unread_) return;
  DWORD stream = 0, flags = 0;
  LONGLONG timestamp = 0;
  ComPtr<IMFSample> sample;
  reader_->ReadSample(kAudio, 0, &stream, &flags, &timestamp, sample.put());
}

// A view goes through a byte stream of the plug-in's; the source resolver
// still gets the path, to pick the media source by its extension.
bool MfAudioReader::CreateReader(const std::wstring& path, const SourceView& view) {
  if (!view.plain()) {
    ComPtr<IMFByteStream> stream = OpenViewByteStream(path, view);
    ComPtr<IMFSourceResolver> resolver;
    MF_OBJECT_TYPE type = MF_OBJECT_INVALID;
    ComPtr<IUnknown> object;
    ComPtr<IMFMediaSource> source;
    if (stream && SUCCEEDED(MFCreateSourceResolver(resolver.put())) &&
        SUCCEEDED(resolver->CreateObjectFromByteStream(stream.get(), path.c_str(),
                                                       MF_RESOLUTION_MEDIASOURCE | MF_RESOLUTION_READ, nullptr,
                                                       &type, object.put())) &&
        SUCCEEDED(object->QueryInterface(IID_IMFMediaSource, reinterpret_cast<void**>(source.put()))) &&
        SUCCEEDED(MFCreateSourceReaderFromMediaSource(source.get(), nullptr, reader_.put()))) {
      through_view_ = true;
      return true;
    }
    // The reader did not take the source: it is not shut down with a reader.
    if (source) source->Shutdown();
  }
  return SUCCEEDED(MFCreateSourceReaderFromURL(path.c_str(), nullptr, reader_.put()));
}

bool MfAudioReader::Open(const std::wstring& path, const SourceView& view) {
  if (!CreateReader(path, view)) return false;
  // Only the first audio stream is decoded; selecting it fails when there is none.
  reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
  if (FAILED(reader_->SetStreamSelection(kAudio, TRUE)) || !ChooseOutputType()) {
    reader_.reset();
    return false;
  }
  duration_hns_ = DurationOf(reader_.get());
  ComPtr<IMFMediaType> native;
  if (SUCCEEDED(reader_->GetNativeMediaType(kAudio, 0, native.put()))) {
    UINT32 bits_per_second = 0, bytes_per_second = 0;
    if (SUCCEEDED(native->GetUINT32(MF_MT_AVG_BITRATE, &bits_per_second))) {
      bitrate_ = static_cast<int>(bits_per_second);
    } else if (SUCCEEDED(native->GetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, &bytes_per_second))) {
      bitrate_ = static_cast<int>(bytes_per_second * 8);
    }
  }
  return true;
}

// 16-bit PCM where the decoder gives it (FLAC, WAV-like sources: no
// conversion at all), float where the decoder's own output is float (AAC,
// MP3, WMA under Wine: rounded here, as ffmpeg rounds, instead of the
// system's dithering conversion), 16-bit PCM as the last resort.
bool MfAudioReader::ChooseOutputType() {
  ComPtr<IMFMediaType> native;
  GUID native_subtype{};
  UINT32 native_bits = 0;
  if (SUCCEEDED(reader_->GetNativeMediaType(kAudio, 0, native.put()))) {
    native->GetGUID(MF_MT_SUBTYPE, &native_subtype);
    native->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &native_bits);
  }
  const bool native_pcm16 = native_subtype == MFAudioFormat_PCM && native_bits == 16;
  if (!(native_pcm16 && RequestType(reader_.get(), MFAudioFormat_PCM, 16)) &&
      !RequestType(reader_.get(), MFAudioFormat_Float, 32) && !RequestType(reader_.get(), MFAudioFormat_PCM, 16)) {
    return false;
  }
  ComPtr<IMFMediaType> current;
  if (FAILED(reader_->GetCurrentMediaType(kAudio, current.put()))) return false;
  GUID subtype{};
  UINT32 rate = 0, channels = 0, bits = 0;
  current->GetGUID(MF_MT_SUBTYPE, &subtype);
  current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
  current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
  current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
  const bool is_pcm16 = subtype == MFAudioFormat_PCM && bits == 16;
  const bool is_float = subtype == MFAudioFormat_Float && bits == 32;
  if ((!is_pcm16 && !is_float) || rate == 0 || rate > 768000 || channels == 0 || channels > 32) return false;
  format_.sample_rate = static_cast<int>(rate);
  format_.channels = static_cast<int>(channels);
  format_.decoder_gives_float = is_float;
  return true;
}

bool MfAudioReader::Seek(int64_t hns) {
  if (!reader_) return false;
  PROPVARIANT position;
  PropVariantInit(&position);
  position.vt = VT_I8;
  position.hVal.QuadPart = hns;
  if (FAILED(reader_->SetCurrentPosition(GUID_NULL, position))) return false;
  seek_unread_ = true;
  return true;
}

MfAudioReader::Result MfAudioReader::Read(std::vector<int16_t>& pcm, int64_t& start_hns) {
  pcm.clear();
  start_hns = 0;
  if (!reader_) return Result::kError;
  DWORD stream = 0, flags = 0;
  LONGLONG timestamp = 0;
  ComPtr<IMFSample> sample;
  seek_unread_ = false;
  if (FAILED(reader_->ReadSample(kAudio, 0, &stream, &flags, &timestamp, sample.put()))) return Result::kError;
  if (flags & MF_SOURCE_READERF_ERROR) return Result::kError;
  if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
    // The output was opened for the first format: a different one ends the file.
    PcmFormat before = format_;
    if (!ChooseOutputType() || format_.sample_rate != before.sample_rate || format_.channels != before.channels) {
      return Result::kError;
    }
  }
  if (sample) {
    ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(sample->ConvertToContiguousBuffer(buffer.put()))) return Result::kError;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(buffer->Lock(&data, nullptr, &length))) return Result::kError;
    const size_t sample_bytes = format_.decoder_gives_float ? 4 : 2;
    const size_t frame_bytes = sample_bytes * format_.channels;
    const size_t count = (length / frame_bytes) * format_.channels;  // whole frames only
    pcm.resize(count);
    if (format_.decoder_gives_float) {
      FloatToPcm16(reinterpret_cast<const float*>(data), count, pcm.data());
    } else {
      memcpy(pcm.data(), data, count * 2);
    }
    buffer->Unlock();
    start_hns = timestamp;
  }
  if (flags & MF_SOURCE_READERF_ENDOFSTREAM) return pcm.empty() ? Result::kEnd : Result::kData;
  return Result::kData;
}

int64_t ProbeDurationHns(const std::wstring& path) {
  ComPtr<IMFSourceReader> reader;
  if (FAILED(MFCreateSourceReaderFromURL(path.c_str(), nullptr, reader.put()))) return 0;
  return DurationOf(reader.get());
}
