// How the format tests read a file's bytes, on Windows as the TagFile object opens a file
// and natively through a POSIX file; the fixtures that the tools made; and text helpers
// that both builds share.
#pragma once
#include <string>

#include "formats/media_tags.h"
#include "common/media_bytes.h"

// What the readers make of a file with these bytes (written to a scratch file first).
MediaTags ReadMedia(const Bytes& file);
// The picture's image as CopyPicture writes it from a file with these bytes (the file that
// tags were read from, or one that has changed since), and whether it was copied.
bool CopyPictureBytes(const Bytes& file, const MediaTags& tags, Bytes& image);

// The folder that CTest names in TARVIK_FORMAT_FIXTURES (make-fixtures.sh fills it): whether
// there is one, and a file's bytes from it (empty when it is missing).
bool FormatFixturesNamed();
Bytes FormatFixtureBytes(const std::string& name);

// A number as text, for messages and comparisons.
std::u16string DecimalText(long long number);
// A text frame of the tags, or "(absent)".
std::u16string TextOf(const MediaTags& tags, const std::u16string& id);
