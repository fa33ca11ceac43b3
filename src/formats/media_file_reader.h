// Reads a media file's tags (ID3v2 at the start and appended at the end, ID3v1) and its
// MPEG audio properties in a few reads at explicit offsets, in bounded memory and time
// whatever the file holds; and copies out its picture on request.
#pragma once
#include <cstddef>
#include <cstdint>
#include "formats/media_source.h"
#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Reads everything from a file of any format it recognises (media_format.cpp); fills out
// (cleared first).  Returns false only when reading the file itself fails, with the system's
// error in *error and out cleared again; a file without tags or audio is a success with
// empty fields.  May throw std::bad_alloc, nothing else.
bool ReadMediaFile(MediaSource& file, MediaTags& out, uint32_t* error);
// The same for a file read as MP3: ID3 tags and MPEG audio; the reader keeps the file's
// prefetched first bytes as its own.
bool ReadMp3File(PrefetchedSource& file, MediaTags& out, uint32_t* error);

// Why a picture was not copied.
enum class PictureCopy {
    Copied,
    NoPicture,  // the tags hold none
    Changed,    // the file is no longer the size it was, or ends before the picture does
    ReadFailed,   // the system failed a read: its error in *error
    WriteFailed,  // the system failed a write: its error in *error
};

// Writes the picture's image bytes (without the frame's encoding, MIME type, picture type
// and description) to target, in bounded chunks.  source is the file that tags were read
// from, opened anew.  A failure may leave part of the image written.
PictureCopy CopyPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error);
// The same for a picture stored as a run of the file (media_format.cpp chooses).
PictureCopy CopyStoredPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error);
