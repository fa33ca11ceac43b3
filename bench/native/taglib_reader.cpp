#include "taglib_reader.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

bool ReadWithTagLib(const char* path, TagLibFields& fields) {
    const TagLib::FileRef file(path);
    const TagLib::Tag* tag = file.tag();
    if (file.isNull() || tag == nullptr) return false;
    fields.Title = tag->title();
    fields.Artist = tag->artist();
    fields.Album = tag->album();
    fields.Comment = tag->comment();
    fields.Genre = tag->genre();
    fields.Year = tag->year();
    fields.Track = tag->track();
    if (const TagLib::AudioProperties* audio = file.audioProperties()) {
        fields.HasAudio = true;
        fields.LengthMilliseconds = audio->lengthInMilliseconds();
        fields.Bitrate = audio->bitrate();
        fields.SampleRate = audio->sampleRate();
        fields.Channels = audio->channels();
    }
    return true;
}
