// The read of a file through the format readers as a TagFile object reads it, and the
// byte layouts the format tests build.
#pragma once
#include <windows.h>

#include <string>

#include "formats/media_tags.h"
#include "common/format_fixtures.h"
#include "common/media_bytes.h"

// What the readers make of a file: opened as the TagFile object opens it.
MediaTags ReadMedia(const std::wstring& path);
// The picture's bytes as CopyPicture writes them, and its answer.
bool CopyPictureBytes(const std::wstring& path, const MediaTags& tags, Bytes& image);
