#include "formats/id3v2/tag_merge.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "formats/id3v2/frame_text.h"
#include "formats/utf8_text.h"

namespace {

// A frame's body after its encoding byte (where it has one), field by field: b one byte,
// l an ISO-8859-1 string, e a string in the frame's encoding, s such strings to the end,
// * the rest as bytes.  Capital letters are the fields that tell two frames of one
// identifier apart.
struct FrameLayout {
    const char* Id;  // "T" for every text frame but TXXX, "W" for every URL frame but WXXX
    bool Encoded;
    bool OnePerTag;
    const char* Fields;
};

const FrameLayout kLayouts[] = {
    {"TXXX", true, false, "Es"},     {"T", true, true, "s"},          {"WXXX", true, false, "E*"},
    {"WCOM", false, false, "*"},     {"WOAR", false, false, "*"},     {"W", false, true, "*"},
    {"COMM", true, false, "BBBEs"},  {"USLT", true, false, "BBBEs"},  {"SYLT", true, false, "BBBbbE*"},
    {"APIC", true, false, "lBE*"},   {"GEOB", true, false, "leE*"},   {"USER", true, false, "BBBs"},
    {"IPLS", true, true, "s"},       {"OWNE", true, true, "lbbbbbbbbs"},
    {"COMR", true, false, "lbbbbbbbblbeel*"},
    {"PRIV", false, false, "L*"},    {"UFID", false, false, "L*"},    {"AENC", false, false, "L*"},
    {"ENCR", false, false, "L*"},    {"GRID", false, false, "L*"},    {"POPM", false, false, "L*"},
    {"RVA2", false, false, "L*"},    {"EQU2", false, false, "b*"},
    {"MCDI", false, true, "*"},      {"ETCO", false, true, "*"},      {"MLLT", false, true, "*"},
    {"SYTC", false, true, "*"},      {"PCNT", false, true, "*"},      {"RBUF", false, true, "*"},
    {"POSS", false, true, "*"},      {"SEEK", false, true, "*"},      {"ASPI", false, true, "*"},
    {"RVRB", false, true, "*"},      {"EQUA", false, true, "*"},      {"RVAD", false, true, "*"},
};
const FrameLayout kUnknownLayout = {"", false, false, "*"};

const FrameLayout& LayoutOf(const std::string& id) {
    for (const FrameLayout& layout : kLayouts) {
        if (id == layout.Id || (layout.Id[1] == 0 && id[0] == layout.Id[0])) return layout;
    }
    return kUnknownLayout;
}

constexpr uint8_t kUtf16 = 1;

bool NeedsUtf16(uint8_t encoding) noexcept { return encoding == 2 || encoding == 3; }

void AppendUtf16(const std::u16string& text, std::vector<uint8_t>& out) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (const char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}

// Walks data (after the encoding byte) by layout: the key fields into *key, and where out
// is given the data with every encoded string in UTF-16 into it.  False where the data ends
// before a field that is not a string or the rest.
bool WalkFields(const FrameLayout& layout, uint8_t encoding, const uint8_t* data, size_t size, std::string* key,
                std::vector<uint8_t>* out) {
    size_t at = 0;
    for (const char* field = layout.Fields; *field != 0; ++field) {
        const char kind = static_cast<char>(*field | 0x20);
        const bool keyed = *field != kind;
        if (kind == 'b') {
            if (at >= size) return false;
            if (keyed) key->push_back(static_cast<char>(data[at]));
            if (out != nullptr) out->push_back(data[at]);
            ++at;
        } else if (kind == '*') {
            if (out != nullptr) out->insert(out->end(), data + at, data + size);
            at = size;
        } else {
            const uint8_t own = kind == 'l' ? 0 : encoding;
            do {
                size_t next = 0;
                const size_t length = FindTextEnd(own, data + at, size - at, &next);
                const std::u16string text = DecodeText(own, data + at, length);
                if (keyed) {
                    AppendUtf8(text, *key);
                    key->push_back(0);
                }
                if (out != nullptr && kind != 'l' && NeedsUtf16(encoding)) {
                    AppendUtf16(text, *out);
                    if (next > length) out->insert(out->end(), {0, 0});
                } else if (out != nullptr) {
                    out->insert(out->end(), data + at, data + at + next);
                }
                at += next;
            } while (kind == 's' && at < size);
        }
    }
    return true;
}

// What tells the frame apart from others of its identifier in a tag.
std::string KeyOf(const StoredFrame& frame, int version) {
    const FrameLayout& layout = LayoutOf(frame.Id);
    std::string key = frame.Id;
    const size_t offset = DataOffset(frame, version);
    // A frame the reader cannot read (compressed, encrypted, of an unknown encoding) shows
    // nothing, so it holds no place that another tag's frame would show in.
    const bool readable = !IsOpaque(frame, version) && frame.Body.size() > offset &&
                          (!layout.Encoded || IsTextEncoding(frame.Body[offset]));
    if (layout.OnePerTag && readable) return key;
    key.push_back(0);
    const uint8_t* data = frame.Body.data() + offset;
    const size_t skip = layout.Encoded ? 1 : 0;
    if (!readable || std::strpbrk(layout.Fields, "BLE") == nullptr ||
        !WalkFields(layout, layout.Encoded ? data[0] : 0, data + skip, frame.Body.size() - offset - skip, &key,
                    nullptr)) {
        key.assign(frame.Body.begin(), frame.Body.end());
        key.insert(0, frame.Id + '\1');
    }
    return key;
}

bool IsYearAlone(const StoredFrame& frame, size_t offset) {
    const std::u16string text =
        frame.Body.size() > offset ? DecodeText(frame.Body[offset], frame.Body.data() + offset + 1,
                                                frame.Body.size() - offset - 1)
                                   : std::u16string();
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// The status and format flags of one version in the other's places; a data length is
// dropped (2.3 has none for a frame that is not compressed).  The frame must not be opaque.
void MoveFlags(StoredFrame& frame, int from, int to) {
    const size_t offset = DataOffset(frame, from);
    const bool grouped = (frame.Format & (from == 4 ? 0x40 : 0x20)) != 0;
    const uint8_t s = frame.Status;
    frame.Status = static_cast<uint8_t>(to == 3 ? ((s & 0x40) << 1) | ((s & 0x20) << 1) | ((s & 0x10) << 1)
                                                : ((s & 0x80) >> 1) | ((s & 0x40) >> 1) | ((s & 0x20) >> 1));
    frame.Format = grouped ? (to == 4 ? 0x40 : 0x20) : 0;
    std::vector<uint8_t> body;
    if (grouped) body.push_back(frame.Body[0]);
    body.insert(body.end(), frame.Body.begin() + static_cast<std::ptrdiff_t>(offset), frame.Body.end());
    frame.Body.swap(body);
}

// The frame in version `to`; false where it cannot be carried there.
bool Convert(StoredFrame& frame, int from, int to) {
    if (from == to) return true;
    if (IsOpaque(frame, from) || frame.Body.size() < DataOffset(frame, from)) return false;
    MoveFlags(frame, from, to);
    const size_t offset = DataOffset(frame, to);
    if (frame.Id == (to == 3 ? "TDRC" : "TYER") && IsYearAlone(frame, offset)) frame.Id = to == 3 ? "TYER" : "TDRC";
    const FrameLayout& layout = LayoutOf(frame.Id);
    if (to == 4 || !layout.Encoded || frame.Body.size() <= offset || !NeedsUtf16(frame.Body[offset])) return true;
    std::vector<uint8_t> body(frame.Body.begin(), frame.Body.begin() + static_cast<std::ptrdiff_t>(offset));
    body.push_back(kUtf16);
    std::string key;
    const uint8_t* data = frame.Body.data() + offset;
    if (!WalkFields(layout, data[0], data + 1, frame.Body.size() - offset - 1, &key, &body)) return false;
    frame.Body.swap(body);
    return true;
}

}  // namespace

void TakeLackingFrames(StoredTag& into, StoredTag&& from, std::vector<StoredFrame>& uncarried) {
    std::set<std::string> held;
    for (const StoredFrame& frame : into.Frames) held.insert(KeyOf(frame, into.Version));
    std::vector<StoredFrame> taken;
    for (StoredFrame& frame : from.Frames) {
        StoredFrame converted = frame;
        if (Convert(converted, from.Version, into.Version)) {
            if (held.count(KeyOf(converted, into.Version)) == 0) taken.push_back(std::move(converted));
        } else if (held.count(KeyOf(frame, from.Version)) == 0) {
            uncarried.push_back(std::move(frame));
        }
    }
    for (StoredFrame& frame : taken) into.Frames.push_back(std::move(frame));
}
