// Byte layouts of the container formats, built here for the layouts and sizes that the
// tools at hand do not write: FLAC blocks, Vorbis comments, Ogg pages, RIFF and IFF chunks,
// MP4 boxes and ASF objects.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "common/media_bytes.h"

Bytes LittleEndian(uint64_t value, int count);

// A metadata block; STREAMINFO of 44.1 kHz stereo 16-bit with the given sample count.
Bytes FlacBlock(unsigned char type, const Bytes& body, bool last = false);
Bytes FlacStreamInfo(uint32_t samples);
// A picture block's body or METADATA_BLOCK_PICTURE's bytes: type, "image/png", the image.
Bytes FlacPicture(uint32_t type, const Bytes& image);
// A comment header from the vendor's length on: "NAME=value" fields.
Bytes VorbisComments(const std::vector<std::string>& fields);

// One page of stream 7 holding whole packets of under 255 bytes each, its checksum made
// (its sequence number 0).
Bytes OggPage(unsigned char flags, uint64_t granule, const std::vector<Bytes>& packets);
// A packet of any size on as many pages as it takes (full pages of 255 segments), the
// first page with firstFlags, the pages after it continuing it.
Bytes OggPacketPages(unsigned char firstFlags, const Bytes& packet);

// A chunk with its size in either byte order and a pad byte after an odd body.
Bytes RiffChunk(const std::string& id, const Bytes& body, bool bigEndian = false);
Bytes Mp4Box(const std::string& type, const Bytes& body);
// An ASF object: its GUID's sixteen bytes as they lie in the file, the size, the body.
Bytes AsfObject(const Bytes& guid, const Bytes& body);
// The GUIDs of the ASF objects the tests build, as they lie in the file.
extern const Bytes kAsfContentDescription, kAsfHeaderExtension, kAsfMetadataLibrary;
// UTF-16LE text of ASCII and its terminator.
Bytes Utf16z(const std::string& text);
// A record of a metadata (library) object: language, stream, name length, type, value
// length, name, value.
Bytes AsfMetadataRecord(const std::string& name, uint16_t type, const Bytes& value);
// The header object holding the objects, then an empty data object.
Bytes AsfFile(const std::vector<Bytes>& objects);

std::string Base64Of(const Bytes& bytes);
// A file of each format the containers hold (FLAC, Opus, WAV, AIFF, MP4, WMA), under its
// Format's name: the title (six ASCII letters or more), the image as front cover, the
// album "After", and a little audio.
std::vector<std::pair<const char*, Bytes>> FilesOfEveryFormat(const Bytes& image, const std::string& title = "Before");
