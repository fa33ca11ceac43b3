// Copying the chosen picture's image out of the file it was found in, in bounded chunks.
#pragma once
#include <cstdint>

#include "formats/media_source.h"
#include "formats/media_tags.h"

// Why a picture was not copied.
enum class PictureCopy {
    Copied,
    NoPicture,    // the tags hold none
    Changed,      // the file is no longer the size it was, or ends before the picture does
    ReadFailed,   // the system failed a read: its error in *error
    WriteFailed,  // the system failed a write: its error in *error
};

// The picture stored as a run of the file (an ID3v2 frame, a FLAC block, an MP4 item, an
// ASF attribute), its frame's unsynchronisation undone where it has one.
PictureCopy CopyStoredPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error);
