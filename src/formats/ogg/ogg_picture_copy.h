// Copies the image of a METADATA_BLOCK_PICTURE out of an Ogg comment header: the base64
// undone as the pages are read, the FLAC picture header passed over.
#pragma once
#include "formats/picture_copy.h"

PictureCopy CopyOggPicture(MediaSource& source, const PictureLocation& picture, ByteSink& target, uint32_t* error);
