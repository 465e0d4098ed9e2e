// A read-only Media Foundation byte stream over a file, with some bytes
// replaced as they are read (byte_patches.h): how the plug-in shows a media
// source a corrected header without writing to the file.
#pragma once
#include <windows.h>
#include <mfidl.h>

#include <string>
#include <vector>

#include "plugins/in_mf/byte_patches.h"
#include "plugins/in_mf/com_ptr.h"

// nullptr when the file cannot be opened.
ComPtr<IMFByteStream> OpenPatchedByteStream(const std::wstring& path, std::vector<BytePatch> patches);
