#include "formats/riff/info_list.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "formats/edit_keys.h"
#include "formats/riff/form_layout.h"

namespace {

// An INFO text longer than this the reader passes over: no longer one is written.
constexpr size_t kLongestInfoText = 64 * 1024;

// The INFO id (four ASCII letters) an edit's key is kept under; "" for none.
std::string InfoIdOf(const std::u16string& key) {
    const std::u16string id = EditKeyFor(&InfoFieldNames(), key);
    return id == key ? std::string() : std::string(id.begin(), id.end());
}

// The edit of the item named id, when one is edited; the ids of a field (ITRK, IPRT) share it.
const std::u16string* EditOf(const TagEdits& edits, const char* id) {
    for (const auto& edit : edits.Texts) {
        const std::string own = InfoIdOf(edit.first);
        if (own.empty()) continue;
        for (const std::u16string& name : FieldKeysOf(InfoFieldNames(), std::u16string(own.begin(), own.end()))) {
            if (name.size() == 4 && std::equal(name.begin(), name.end(), id)) return &edit.second;
        }
    }
    return nullptr;
}

std::vector<uint8_t> InfoItem(const char* id, const std::string& text) {
    std::vector<uint8_t> item = ChunkHeader(id, static_cast<uint32_t>(text.size() + 1), false);
    item.insert(item.end(), text.begin(), text.end());
    item.push_back(0);
    if (item.size() & 1) item.push_back(0);
    return item;
}

}  // namespace

const FieldNames& InfoFieldNames() noexcept {
    static const FieldNames names = {{u"INAM"}, {u"IART"}, {u"IPRD"}, {}, {}, {u"ICMT"}, {u"IGNR"}, {u"ICRD"},
                                     {u"ITRK", u"IPRT"}, {}, {}, {}, {}};
    return names;
}

bool EditsInfo(const TagEdits& edits) {
    for (const auto& edit : edits.Texts) {
        if (!InfoIdOf(edit.first).empty()) return true;
    }
    return false;
}

InfoUpdate UpdateInfoList(const TagEdits& edits, CodePageEncoder& encoder, std::vector<uint8_t>& list) {
    std::vector<uint8_t> fresh(list.begin(), list.begin() + 4);
    std::vector<std::string> written;
    bool changed = false;
    for (size_t at = 4; at < list.size();) {
        if (list.size() - at < 8) return InfoUpdate::Damaged;
        const char* id = reinterpret_cast<const char*>(list.data() + at);
        const uint64_t size = list[at + 4] | list[at + 5] << 8 | list[at + 6] << 16 |
                              static_cast<uint64_t>(list[at + 7]) << 24;
        if (size > list.size() - at - 8) return InfoUpdate::Damaged;
        // The last item's pad byte may be missing where the list ends.
        const size_t end = static_cast<size_t>(std::min<uint64_t>(at + 8 + size + (size & 1), list.size()));
        const std::u16string* edit = EditOf(edits, id);
        if (edit == nullptr) {
            fresh.insert(fresh.end(), list.begin() + static_cast<std::ptrdiff_t>(at),
                         list.begin() + static_cast<std::ptrdiff_t>(end));
            if (fresh.size() & 1) fresh.push_back(0);
        } else {
            changed = true;
            const std::string name(id, 4);
            const bool first = std::find(written.begin(), written.end(), name) == written.end();
            if (first && !edit->empty()) {
                const std::vector<uint8_t> item = InfoItem(id, encoder.Encode(*edit, kLongestInfoText - 1));
                fresh.insert(fresh.end(), item.begin(), item.end());
            }
            written.push_back(name);
        }
        at = end;
    }
    if (!changed) return InfoUpdate::Unchanged;
    list.swap(fresh);
    return InfoUpdate::Changed;
}
