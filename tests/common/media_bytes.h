// Byte layouts of media files built by hand, for what no tool here writes: the tests and
// the benchmarks make their files from them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

Bytes operator+(Bytes a, const Bytes& b);
Bytes BytesOf(const std::string& text);
Bytes Syncsafe(uint32_t value);
Bytes BigEndian(uint32_t value, int count);
// Every 0xFF followed by a 0x00 or a byte of the form 111xxxxx gets a 0x00 after it.
Bytes Unsynchronise(const Bytes& bytes);

// A frame of a tag of version 2, 3 or 4: the id, the size (syncsafe in 2.4 unless
// plainSize), the format flags byte and the body as given.
Bytes Frame(int version, const std::string& id, const Bytes& body, unsigned char format = 0, bool plainSize = false);
// A text frame in ISO-8859-1 (encoding 0) or another encoding whose bytes are given.
Bytes TextFrame(int version, const std::string& id, const std::string& text, unsigned char encoding = 0);
// An APIC (PIC in 2.2) frame body: picture type, a description and the image.
Bytes PictureBody(int version, unsigned char type, const std::string& description, const Bytes& image);

// An ID3v2 tag: header, body (frames, padding) and, with flag 0x10 in 2.4, a footer; the
// size field says declaredSize when given, else the body's size.
Bytes Tag(int version, const Bytes& body, unsigned char flags = 0, int64_t declaredSize = -1);

// count MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, joint stereo (417 bytes each); the
// first carries a Xing ("Xing" or "Info") header with xingFrames when that is not 0.
Bytes MpegFrames(int count, uint32_t xingFrames = 0, const char* xingTag = "Xing");
// A 128-byte ID3v1 tag with the given texts (each cut or 0-padded to its width).
Bytes MakeTag(const std::string& title, const std::string& artist, const std::string& album, const std::string& year,
              const std::string& comment, unsigned char genre);
// An ID3v1.1 tag (track when not 0) with the given texts.
Bytes Id3v1Tag(const std::string& title, const std::string& artist, unsigned char track, unsigned char genre);
