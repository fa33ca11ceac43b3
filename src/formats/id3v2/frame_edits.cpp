#include "formats/id3v2/frame_edits.h"

#include <algorithm>
#include <functional>

#include "formats/id3v2/frame_encoding.h"
#include "formats/id3v2/tag_assembly.h"

namespace {

const uint8_t kDefaultLanguage[3] = {'e', 'n', 'g'};

using FrameTest = std::function<bool(const StoredFrame&)>;

StoredFrame MakeFrame(const std::string& id, std::vector<uint8_t>&& body) {
    StoredFrame frame;
    frame.Id = id;
    frame.Body = std::move(body);
    return frame;
}

// Removes the frames that match (only the first when firstOnly) and puts replacement,
// when it has an identifier, where the first of them was.
void Replace(StoredTag& tag, const FrameTest& matches, StoredFrame&& replacement, bool firstOnly = false) {
    std::vector<StoredFrame> kept;
    kept.reserve(tag.Frames.size() + 1);
    bool found = false;
    size_t place = 0;
    for (StoredFrame& frame : tag.Frames) {
        if ((!found || !firstOnly) && matches(frame)) {
            if (!found) place = kept.size();
            found = true;
            continue;
        }
        kept.push_back(std::move(frame));
    }
    if (!found) place = kept.size();
    if (!replacement.Id.empty()) kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(place), std::move(replacement));
    tag.Frames.swap(kept);
}

// The description of a readable TXXX, COMM or USLT frame; false for any other.
bool DescriptionOf(const StoredFrame& frame, int version, std::u16string* description) {
    if (IsOpaque(frame, version)) return false;
    const size_t offset = DataOffset(frame, version);
    if (frame.Body.size() < offset) return false;
    return ReadDescription(frame.Id, frame.Body.data() + offset, frame.Body.size() - offset, description);
}

std::string AsciiOf(const std::u16string& text) { return std::string(text.begin(), text.end()); }

void SetUserText(StoredTag& tag, const std::u16string& description, const std::u16string& value) {
    const int version = tag.Version;
    Replace(tag,
            [&](const StoredFrame& frame) {
                std::u16string found;
                return frame.Id == "TXXX" && DescriptionOf(frame, version, &found) && found == description;
            },
            value.empty() ? StoredFrame() : MakeFrame("TXXX", MakeUserTextBody(version, description, value)));
}

// A comment replaces the one without a description, which the reader shows first.  Removing
// the comment removes every comment the reader could show in its place (all but the
// players' own notes), so that the property reads "" after the save.
void SetComment(StoredTag& tag, const std::u16string& value) {
    const int version = tag.Version;
    if (value.empty()) {
        Replace(tag,
                [&](const StoredFrame& frame) {
                    std::u16string description;
                    return frame.Id == "COMM" && DescriptionOf(frame, version, &description) && !IsPlayerNote(description);
                },
                StoredFrame());
        return;
    }
    const uint8_t* language = kDefaultLanguage;
    uint8_t kept[3];
    auto matches = [&](const StoredFrame& frame) {
        std::u16string description;
        return frame.Id == "COMM" && DescriptionOf(frame, version, &description) && description.empty();
    };
    const auto first = std::find_if(tag.Frames.begin(), tag.Frames.end(), matches);
    if (first != tag.Frames.end() && first->Body.size() >= DataOffset(*first, version) + 4) {
        std::copy_n(first->Body.begin() + static_cast<std::ptrdiff_t>(DataOffset(*first, version)) + 1, 3, kept);
        language = kept;
    }
    Replace(tag, matches,
            value.empty() ? StoredFrame() : MakeFrame("COMM", MakeCommentBody(version, language, u"", value)));
}

// The first lyrics frame is replaced, keeping its language and description; removing the
// lyrics removes every lyrics frame, so that none is read in their place.
void SetLyrics(StoredTag& tag, const std::u16string& value) {
    const int version = tag.Version;
    auto isLyrics = [](const StoredFrame& frame) { return frame.Id == "USLT"; };
    if (value.empty()) {
        Replace(tag, isLyrics, StoredFrame());
        return;
    }
    const uint8_t* language = kDefaultLanguage;
    uint8_t kept[3];
    std::u16string description;
    const auto first = std::find_if(tag.Frames.begin(), tag.Frames.end(), isLyrics);
    if (first != tag.Frames.end() && DescriptionOf(*first, version, &description)) {
        std::copy_n(first->Body.begin() + static_cast<std::ptrdiff_t>(DataOffset(*first, version)) + 1, 3, kept);
        language = kept;
    } else {
        description.clear();
    }
    Replace(tag, isLyrics, MakeFrame("USLT", MakeCommentBody(version, language, description, value)), true);
}

void SetText(StoredTag& tag, const std::u16string& key, const std::u16string& value) {
    if (key == kCommentKey) return SetComment(tag, value);
    if (key == kLyricsKey) return SetLyrics(tag, value);
    if (key.compare(0, 5, u"TXXX:") == 0) return SetUserText(tag, key.substr(5), value);
    const bool year = key == kYearKey || key == u"TDRC";
    // Each version keeps its year in a frame of its own, and only there.
    const std::string id = year ? (tag.Version == 4 ? "TDRC" : "TYER") : AsciiOf(key);
    Replace(tag,
            [&](const StoredFrame& frame) {
                return frame.Id == id || (year && (frame.Id == "TYER" || frame.Id == "TDRC"));
            },
            value.empty() ? StoredFrame() : MakeFrame(id, MakeTextBody(tag.Version, value)));
}

void SetPictures(StoredTag& tag, const TagEdits& edits) {
    const int version = tag.Version;
    if (edits.RemovePictures) Replace(tag, [](const StoredFrame& frame) { return frame.Id == "APIC"; }, StoredFrame());
    if (edits.Cover.Bytes.empty()) return;
    Replace(tag,
            [&](const StoredFrame& frame) {
                uint8_t type = 0;
                const size_t offset = DataOffset(frame, version);
                return frame.Id == "APIC" && !IsOpaque(frame, version) && frame.Body.size() > offset &&
                       ReadPictureType(frame.Body.data() + offset, frame.Body.size() - offset, &type) && type == 3;
            },
            MakeFrame("APIC", MakeFrontCoverBody(edits.Cover.MimeType, edits.Cover.Bytes)));
}

}  // namespace

void ApplyEdits(const TagEdits& edits, StoredTag& tag) {
    const int version = tag.Version;
    tag.Frames.erase(std::remove_if(tag.Frames.begin(), tag.Frames.end(),
                                    [&](const StoredFrame& frame) { return DropsOnTagChange(frame, version); }),
                     tag.Frames.end());
    for (const auto& text : edits.Texts) SetText(tag, text.first, text.second);
    SetPictures(tag, edits);
}
