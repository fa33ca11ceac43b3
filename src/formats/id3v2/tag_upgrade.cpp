#include "formats/id3v2/tag_upgrade.h"

#include <cstring>
#include <string>

#include "formats/id3v2/frame_ids.h"

namespace {

std::string MimeTypeOf(const uint8_t* format) {
    if (std::memcmp(format, "JPG", 3) == 0) return "image/jpeg";
    if (std::memcmp(format, "-->", 3) == 0) return "-->";  // a link to the image, kept as one
    std::string mime = "image/";
    for (int i = 0; i < 3; ++i) {
        const char c = static_cast<char>(format[i]);
        mime.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return mime;
}

}  // namespace

bool UpgradeFrom22(const uint8_t* header, StoredFrame& frame) {
    if (std::memcmp(header, "LNK", 3) == 0) return false;
    // IPL's 2.3 counterpart is IPLS; the reader's names are those of 2.4.
    const std::u16string id = std::memcmp(header, "IPL", 3) == 0 ? u"IPLS" : FrameIdOf(header, 2);
    if (id.size() != 4) return false;
    frame.Id.assign(id.begin(), id.end());
    if (frame.Id == "APIC") {
        if (frame.Body.size() < 5) return false;
        const std::string mime = MimeTypeOf(frame.Body.data() + 1);
        std::vector<uint8_t> body(1, frame.Body[0]);
        body.insert(body.end(), mime.begin(), mime.end());
        body.push_back(0);
        body.insert(body.end(), frame.Body.begin() + 4, frame.Body.end());
        frame.Body.swap(body);
    }
    return true;
}
