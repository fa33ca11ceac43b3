// Which format a file is, from its bytes alone (never its name), and the one place that
// picks the reader and the writer for it.
#pragma once
#include <cstdint>
#include <string>

#include "formats/code_page_encoder.h"
#include "formats/media_tags.h"
#include "formats/picture_copy.h"
#include "formats/prefetched_source.h"
#include "formats/save_plan.h"
#include "formats/tag_edits.h"

enum class MediaFormat { Mp3, Flac, Ogg, Wav, Aiff, Mp4, Asf };

struct RecognizedFormat {
    MediaFormat Format = MediaFormat::Mp3;
    uint64_t Start = 0;  // where the format's own bytes begin: after an ID3v2 tag before "fLaC"
};

// The format of the file whose first bytes file holds; MP3 for whatever else, whose reader
// finds what there is of ID3 tags and MPEG audio.  False when the system fails a read.
bool RecognizeFormat(PrefetchedSource& file, RecognizedFormat& format, uint32_t* error);

// The format a reader named in MediaTags::Format ("Opus" is Ogg); false for "".
bool FormatNamed(const std::u16string& name, MediaFormat* format) noexcept;

// Reads everything from a file of any format it recognises; fills out (cleared first).
// Returns false only when reading the file itself fails, with the system's error in *error
// and out cleared again; a file without tags or audio is a success with empty fields.  May
// throw std::bad_alloc, nothing else.
bool ReadMediaFile(MediaSource& file, MediaTags& out, uint32_t* error);

// Writes the picture's image bytes (without the frame's encoding, MIME type, picture type
// and description) to target, in bounded chunks.  source is the file that tags were read
// from, opened anew.  A failure may leave part of the image written.
PictureCopy CopyPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error);

// Plans the save of edits into file, by the writer of the format its bytes are, and
// chooses the way to the disk (save_plan.h).  May throw std::bad_alloc, nothing else.
SaveVerdict PlanMediaSave(MediaSource& file, const TagEdits& edits, CodePageEncoder& encoder, SavePlan& plan);
