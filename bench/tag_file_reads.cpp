#include "tag_file_reads.h"

#include "support/unique_bstr.h"

namespace {

using TextGetter = HRESULT (STDMETHODCALLTYPE ITagFile::*)(BSTR*);
using NumberGetter = HRESULT (STDMETHODCALLTYPE ITagFile::*)(long*);
constexpr TextGetter kTexts[] = {&ITagFile::get_Artist,   &ITagFile::get_Album,   &ITagFile::get_AlbumArtist,
                                 &ITagFile::get_Composer, &ITagFile::get_Comment, &ITagFile::get_Genre,
                                 &ITagFile::get_TagTypes};
constexpr NumberGetter kNumbers[] = {&ITagFile::get_Year,       &ITagFile::get_Track,   &ITagFile::get_TrackCount,
                                     &ITagFile::get_Disc,       &ITagFile::get_DiscCount, &ITagFile::get_Bitrate,
                                     &ITagFile::get_SampleRate, &ITagFile::get_Channels};

}  // namespace

FieldSum SumOf(BSTR text) {
    FieldSum sum = 0;
    for (UINT i = 0; i < SysStringLen(text); ++i) sum += text[i];
    return sum;
}

FieldSum ReadThroughTagFile(ITagFile* tag, BSTR path) {
    if (FAILED(tag->Open(path))) return 0;
    UniqueBstr title;
    tag->get_Title(title.Receive());
    const FieldSum sum = SumOf(title.Get());
    for (TextGetter getter : kTexts) {
        UniqueBstr text;
        (tag->*getter)(text.Receive());
    }
    for (NumberGetter getter : kNumbers) {
        long number = 0;
        (tag->*getter)(&number);
    }
    double duration = 0;
    tag->get_Duration(&duration);
    return sum;
}
