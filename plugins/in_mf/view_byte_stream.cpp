// IMFByteStream over a SourceView of a WinFileSource. The media source calls it from its own
// threads (Read, or BeginRead/EndRead on a work queue) while the decoding
// thread may seek: the position and the file reads share one lock.
// Asynchronous reads are done at once and their callback invoked through
// Media Foundation's work queue (MFInvokeCallback), as MSDN allows.
#include "plugins/in_mf/view_byte_stream.h"

#include <mfapi.h>
#include <mferror.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "plugins/common/win_file_source.h"

namespace {

// {5A6C7D3E-2B14-4F0A-9C1D-8E7F6A5B4C3D}: the byte count of an asynchronous
// read, kept in an attribute store that the read's result carries.
const GUID kBytesReadKey = {0x5a6c7d3e, 0x2b14, 0x4f0a, {0x9c, 0x1d, 0x8e, 0x7f, 0x6a, 0x5b, 0x4c, 0x3d}};

class ViewByteStream final : public IMFByteStream {
 public:
  explicit ViewByteStream(SourceView view) : view_(std::move(view)) {}
  bool Open(const std::wstring& path) { return file_.Open(path); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMFByteStream) {
      *out = static_cast<IMFByteStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP GetCapabilities(DWORD* capabilities) override {
    if (!capabilities) return E_POINTER;
    *capabilities = MFBYTESTREAM_IS_READABLE | MFBYTESTREAM_IS_SEEKABLE;
    return S_OK;
  }
  STDMETHODIMP GetLength(QWORD* length) override {
    if (!length) return E_POINTER;
    *length = view_.Size(file_.Size());
    return S_OK;
  }
  STDMETHODIMP SetLength(QWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetCurrentPosition(QWORD* position) override {
    if (!position) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *position = position_;
    return S_OK;
  }
  STDMETHODIMP SetCurrentPosition(QWORD position) override {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
    return S_OK;
  }
  STDMETHODIMP IsEndOfStream(BOOL* end) override {
    if (!end) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *end = position_ >= view_.Size(file_.Size());
    return S_OK;
  }
  STDMETHODIMP Read(BYTE* buffer, ULONG size, ULONG* read) override {
    if (!buffer || !read) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *read = static_cast<ULONG>(ReadLocked(position_, buffer, size));
    position_ += *read;
    return S_OK;
  }
  STDMETHODIMP BeginRead(BYTE* buffer, ULONG size, IMFAsyncCallback* callback, IUnknown* state) override {
    if (!callback) return E_POINTER;
    ULONG read = 0;
    const HRESULT status = Read(buffer, size, &read);
    ComPtr<IMFAttributes> count;
    ComPtr<IMFAsyncResult> result;
    HRESULT hr = MFCreateAttributes(count.put(), 1);
    if (SUCCEEDED(hr)) hr = count->SetUINT32(kBytesReadKey, read);
    if (SUCCEEDED(hr)) hr = MFCreateAsyncResult(count.get(), callback, state, result.put());
    if (FAILED(hr)) return hr;
    result->SetStatus(status);
    return MFInvokeCallback(result.get());
  }
  STDMETHODIMP EndRead(IMFAsyncResult* result, ULONG* read) override {
    if (!result || !read) return E_POINTER;
    *read = 0;
    ComPtr<IUnknown> object;
    ComPtr<IMFAttributes> count;
    UINT32 bytes = 0;
    if (FAILED(result->GetObject(object.put())) ||
        FAILED(object->QueryInterface(IID_IMFAttributes, reinterpret_cast<void**>(count.put()))) ||
        FAILED(count->GetUINT32(kBytesReadKey, &bytes))) {
      return E_INVALIDARG;
    }
    *read = bytes;
    return result->GetStatus();
  }
  STDMETHODIMP Write(const BYTE*, ULONG, ULONG*) override { return E_ACCESSDENIED; }
  STDMETHODIMP BeginWrite(const BYTE*, ULONG, IMFAsyncCallback*, IUnknown*) override { return E_ACCESSDENIED; }
  STDMETHODIMP EndWrite(IMFAsyncResult*, ULONG*) override { return E_ACCESSDENIED; }
  STDMETHODIMP Seek(MFBYTESTREAM_SEEK_ORIGIN origin, LONGLONG offset, DWORD, QWORD* position) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const LONGLONG base = origin == msoCurrent ? static_cast<LONGLONG>(position_) : 0;
    if (origin != msoBegin && origin != msoCurrent) return E_INVALIDARG;
    if (base + offset < 0) return E_INVALIDARG;
    position_ = static_cast<QWORD>(base + offset);
    if (position) *position = position_;
    return S_OK;
  }
  STDMETHODIMP Flush() override { return S_OK; }
  STDMETHODIMP Close() override { return S_OK; }

 private:
  ~ViewByteStream() = default;

  // The media source reads one compressed packet at a time (some hundred
  // bytes): whole blocks come from the view and are served from memory.
  // Larger reads go to the view directly.
  size_t ReadLocked(uint64_t offset, BYTE* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
      const uint64_t at = offset + done;
      if (at < block_offset_ || at - block_offset_ >= block_.size()) {
        if (size - done >= kBlockBytes) {
          return done + view_.Read(file_, at, buffer + done, size - done);
        }
        block_.resize(kBlockBytes);
        block_.resize(view_.Read(file_, at, block_.data(), kBlockBytes));
        block_offset_ = at;
        if (block_.empty()) break;
      }
      const size_t from = static_cast<size_t>(at - block_offset_);
      const size_t n = std::min(size - done, block_.size() - from);
      std::memcpy(buffer + done, block_.data() + from, n);
      done += n;
    }
    return done;
  }

  static constexpr size_t kBlockBytes = 64 * 1024;
  std::atomic<ULONG> refs_{1};
  const SourceView view_;
  std::mutex mutex_;
  WinFileSource file_;           // reads under mutex_
  QWORD position_ = 0;           // under mutex_
  std::vector<uint8_t> block_;   // under mutex_: bytes of the view from block_offset_
  uint64_t block_offset_ = 0;    // under mutex_
};

}  // namespace

ComPtr<IMFByteStream> OpenViewByteStream(const std::wstring& path, SourceView view) {
  ComPtr<IMFByteStream> stream;
  auto* created = new (std::nothrow) ViewByteStream(std::move(view));
  if (!created) return stream;
  *stream.put() = created;
  if (!created->Open(path)) stream.reset();
  return stream;
}
