// TagLib's reading of a file as its clients do it: a FileRef, which reads the tags and the
// audio properties (average accuracy, its default), and the fields of its unified tag.
#pragma once
#include <taglib/tstring.h>

struct TagLibFields {
    TagLib::String Title, Artist, Album, Comment, Genre;
    unsigned Year = 0, Track = 0;
    bool HasAudio = false;
    int LengthMilliseconds = 0, Bitrate = 0, SampleRate = 0, Channels = 0;
};

// False when TagLib makes nothing of the file (no FileRef, or no tag).
bool ReadWithTagLib(const char* path, TagLibFields& fields);
