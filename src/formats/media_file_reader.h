// Reads a media file's tags (ID3v2 at the start and appended at the end, ID3v1) and its
// MPEG audio properties in a few reads at explicit offsets, in bounded memory and time
// whatever the file holds; and copies out its picture on request.
#pragma once
#include <windows.h>

#include "formats/media_tags.h"

// Reads everything from a file opened for reading that lies on a disk; fills out (cleared
// first).  Returns false only when reading the file itself fails, with the system's error
// in *error and out cleared again; a file without tags or audio is a success with empty
// fields.  May throw std::bad_alloc, nothing else.
bool ReadMediaFile(HANDLE file, MediaTags& out, DWORD* error);

// Writes the picture's image bytes (without the frame's encoding, MIME type, picture type
// and description) to target, in bounded chunks; false when there is none or a read or
// write fails, which may leave part of the image written, or when source, the file that
// tags were read from opened anew, is no longer the size it was.
bool CopyPicture(HANDLE source, const MediaTags& tags, HANDLE target);
