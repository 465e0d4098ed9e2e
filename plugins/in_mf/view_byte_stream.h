// A read-only Media Foundation byte stream over a view of a file
// (source_view.h): how the plug-in shows a media source a corrected header,
// or a file with other bytes before it, without writing to the file.
#pragma once
#include <windows.h>
#include <mfidl.h>

#include <string>

#include "plugins/in_mf/com_ptr.h"
#include "plugins/in_mf/source_view.h"

// nullptr when the file cannot be opened.
ComPtr<IMFByteStream> OpenViewByteStream(const std::wstring& path, SourceView view);
