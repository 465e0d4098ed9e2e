// One entry per reader of in_mf.dll that parses file bytes, shared by the
// libFuzzer targets and the native test that replays their corpora.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plugins/in_mf/audio_tags.h"
#include "plugins/in_mf/mp3_carry.h"
#include "plugins/in_mf/mp4_gapless.h"

// Each returns normally for any input; a broken invariant aborts. The tag
// entries return what was read, so that the replay test can check the seeds
// made from real files.
TagFields FuzzId3v2(const uint8_t* data, size_t size);
TagFields FuzzId3v1(const uint8_t* data, size_t size);
TagFields FuzzMp4Tags(const uint8_t* data, size_t size);
TagFields FuzzAsfTags(const uint8_t* data, size_t size);
// FLAC at the start or after an ID3v2 tag, as the format detection finds it.
TagFields FuzzFlacComments(const uint8_t* data, size_t size);
// The first 8 bytes are the length the decoder reports (little endian); the
// rest is the file.
void FuzzMp3Gapless(const uint8_t* data, size_t size);
// The first 8 bytes are the length the decoder reports (little endian); the
// rest is the file. Returns where the reader found the real samples.
Mp4Content FuzzMp4Gapless(const uint8_t* data, size_t size);
// The first 2 bytes (little endian) are the length of the previous file,
// which follows them; the rest is the next file. Returns the carry planned
// from the one into the other.
Mp3Carry FuzzMp3Carry(const uint8_t* data, size_t size);
