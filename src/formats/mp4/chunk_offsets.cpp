#include "formats/mp4/chunk_offsets.h"

#include "formats/id3v2/id3v2_header.h"
#include "formats/mp4/box_reader.h"

bool ChunkOffsetTables::Read(BoxNode& moov) {
    tables_.clear();
    for (BoxNode& trak : moov.Children) {
        BoxNode* mdia = trak.Is("trak") ? trak.Child("mdia") : nullptr;
        BoxNode* minf = mdia != nullptr ? mdia->Child("minf") : nullptr;
        BoxNode* stbl = minf != nullptr ? minf->Child("stbl") : nullptr;
        if (stbl == nullptr) continue;
        for (BoxNode& box : stbl->Children) {
            if ((box.Is("stco") || box.Is("co64")) && !ReadTable(box)) return false;
            if (box.Is("saio")) otherOffsets_ = true;
        }
    }
    return true;
}

bool ChunkOffsetTables::ReadTable(BoxNode& box) {
    const std::vector<uint8_t>& body = box.Body;
    if (body.size() < 8) return false;
    Table table{&box, box.Is("co64"), std::vector<uint8_t>(body.begin(), body.begin() + 4), {}, {}};
    const uint64_t count = ReadBigEndian(body.data() + 4, 4);
    const size_t width = table.Wide ? 8 : 4;
    if (count > (body.size() - 8) / width) return false;
    table.Offsets.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = body.data() + 8 + i * width;
        table.Offsets.push_back(table.Wide ? ReadBigEndian64(entry) : ReadBigEndian(entry, 4));
    }
    // Bytes past the last offset are kept as the table held them.
    table.Trailing.assign(body.begin() + static_cast<std::ptrdiff_t>(8 + count * width), body.end());
    tables_.push_back(std::move(table));
    return true;
}

bool ChunkOffsetTables::WidenFor(uint64_t from, int64_t by) {
    bool widened = false;
    for (Table& table : tables_) {
        if (table.Wide) continue;
        for (uint64_t offset : table.Offsets) {
            if (Moved(offset, from, by) > 0xFFFFFFFFu) {
                table.Wide = widened = true;
                table.Box->Type = "co64";
                // Sized for what Write will put there, so that the movie box is counted right.
                table.Box->Body.resize(8 + table.Offsets.size() * 8 + table.Trailing.size());
                break;
            }
        }
    }
    return widened;
}

void ChunkOffsetTables::Write(uint64_t from, int64_t by) {
    for (Table& table : tables_) {
        std::vector<uint8_t> body = table.VersionAndFlags;
        AppendBigEndian(table.Offsets.size(), 4, body);
        for (uint64_t offset : table.Offsets) AppendBigEndian(Moved(offset, from, by), table.Wide ? 8 : 4, body);
        body.insert(body.end(), table.Trailing.begin(), table.Trailing.end());
        table.Box->Body = std::move(body);
    }
}
