#include "formats/asf/asf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/little_endian.h"
#include "formats/asf/asf_attributes.h"
#include "formats/asf/asf_guids.h"
#include "formats/id3v2/tag_stream.h"

namespace {

constexpr uint64_t kObjectHeader = 24;  // GUID and 64-bit size
// Objects walked at most, over the header and its extension.
constexpr int kMostObjects = 4096;

class AsfFileReader {
public:
    AsfFileReader(PrefetchedSource& file, MediaTags& tags)
        : file_(file), tags_(tags), fields_(tags), attributes_(fields_, tags) {}

    bool Read(uint32_t* error) {
        const uint64_t size = file_.Size();
        FileRegion header;
        if (!ReadRegion(file_, 0, 30, header, error)) return false;
        if (header.Bytes.size() == 30) {
            const uint64_t end = std::min(size, ReadLittleEndian(header.At(16), 8));
            // The header extension's metadata objects hold what the content descriptions
            // cannot, so their values come after those.
            if (!Walk(30, end, error) || (extensionEnd_ != 0 && !Walk(extensionStart_, extensionEnd_, error))) {
                return false;
            }
        }
        fields_.Finish(AsfFieldNames());
        if (!fields_.Empty()) tags_.TagTypes = u"ASF";
        tags_.Format = u"WMA";
        tags_.Picture.FileSize = size;
        return true;
    }

private:
    bool Walk(uint64_t at, uint64_t end, uint32_t* error) {
        FileRegion object;
        while (at + kObjectHeader <= end && ++walked_ <= kMostObjects) {
            if (!ReadRegion(file_, at, kObjectHeader, object, error)) return false;
            if (object.Bytes.size() < kObjectHeader) return true;
            const uint64_t declared = ReadLittleEndian(object.At(at + 16), 8);
            if (declared < kObjectHeader) return true;
            const uint64_t bodyEnd = declared > end - at ? end : at + declared;
            if (!ReadObject(object.At(at), at + kObjectHeader, bodyEnd, error)) return false;
            at = bodyEnd;
        }
        return true;
    }

    bool ReadObject(const uint8_t* guid, uint64_t begin, uint64_t end, uint32_t* error) {
        auto is = [guid](const AsfGuid& other) { return IsGuid(guid, other); };
        // The header extension: a reserved GUID and number, the size of its objects, the objects.
        if (is(kAsfHeaderExtensionGuid) && extensionEnd_ == 0) {
            extensionStart_ = begin + 22;
            extensionEnd_ = end;
            return true;
        }
        TagStream stream(file_, begin, end, false, &file_.Head());
        StreamBytes body(stream);
        if (is(kAsfFilePropertiesGuid)) {
            ReadFileProperties(body);
        } else if (is(kAsfStreamPropertiesGuid)) {
            ReadStreamProperties(body);
        } else if (is(kAsfContentDescriptionGuid)) {
            attributes_.ReadContentDescription(body);
        } else if (is(kAsfExtendedContentDescriptionGuid)) {
            attributes_.ReadList(body, begin, AttributeList::Extended);
        } else if (is(kAsfMetadataGuid) || is(kAsfMetadataLibraryGuid)) {
            attributes_.ReadList(body, begin, AttributeList::Metadata);
        }
        if (stream.Failed()) *error = stream.Error();
        return !stream.Failed();
    }

    // File id, size, creation date, packets, play duration, send duration (100 ns), preroll (ms).
    void ReadFileProperties(SequentialBytes& body) {
        uint8_t bytes[64];
        if (body.Read(bytes, sizeof bytes) < sizeof bytes) return;
        const double play = ReadLittleEndian(bytes + 40, 8) / 1e7, preroll = ReadLittleEndian(bytes + 56, 8) / 1e3;
        if (play > preroll) tags_.Duration = play - preroll;
    }

    // The stream type, error correction type, time offset, the sizes of the type's data and
    // of the error correction's, flags, reserved; an audio stream's data is a WAVEFORMATEX.
    void ReadStreamProperties(SequentialBytes& body) {
        uint8_t bytes[54 + 16];
        if (tags_.SampleRate != 0 || body.Read(bytes, sizeof bytes) < sizeof bytes ||
            std::memcmp(bytes, kAsfAudioStreamGuid, 16) != 0) {
            return;
        }
        const uint8_t* format = bytes + 54;
        tags_.Channels = static_cast<long>(ReadLittleEndian(format + 2, 2));
        tags_.SampleRate = static_cast<long>(std::min<uint64_t>(ReadLittleEndian(format + 4, 4), 0x7FFFFFFF));
        tags_.Bitrate = std::lround(ReadLittleEndian(format + 8, 4) * 8 / 1000.0);
    }

    PrefetchedSource& file_;
    MediaTags& tags_;
    TextFields fields_;
    AsfAttributes attributes_;
    int walked_ = 0;
    uint64_t extensionStart_ = 0;
    uint64_t extensionEnd_ = 0;
};

}  // namespace

bool ReadAsfFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error) {
    return AsfFileReader(file, tags).Read(error);
}
