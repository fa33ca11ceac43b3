#include "formats/mp4/box_tree.h"

#include <cstring>

#include "formats/id3v2/id3v2_header.h"
#include "formats/mp4/box_reader.h"

namespace {

constexpr uint64_t kLargest32BitSize = 0xFFFFFFFFu;

uint64_t HeaderSize(bool large, uint64_t bodySize) noexcept {
    return large || bodySize + 8 > kLargest32BitSize ? 16 : 8;
}

}  // namespace

BoxStep NextMemoryBox(const uint8_t* bytes, size_t end, size_t* at, MemoryBox& box) {
    if (*at >= end) return BoxStep::End;
    if (end - *at < 8) return BoxStep::Damaged;
    const uint8_t* header = bytes + *at;
    uint64_t size = ReadBigEndian(header, 4);
    box.Type.assign(reinterpret_cast<const char*>(header) + 4, 4);
    box.LargeHeader = size == 1;
    size_t headerSize = 8;
    if (size == 1) {
        if (end - *at < 16) return BoxStep::Damaged;
        size = ReadBigEndian64(header + 8);
        headerSize = 16;
    } else if (size == 0) {
        size = end - *at;
    }
    if (size < headerSize || size > end - *at) return BoxStep::Damaged;
    box.Start = *at;
    box.BodyStart = *at + headerSize;
    box.End = *at + static_cast<size_t>(size);
    *at = box.End;
    return BoxStep::Found;
}

uint64_t BoxNode::BodySize() const noexcept {
    if (!Parsed) return Body.size();
    uint64_t size = Prefix.size();
    for (const BoxNode& child : Children) size += child.Size();
    return size;
}

uint64_t BoxNode::Size() const noexcept {
    const uint64_t body = BodySize();
    return HeaderSize(LargeHeader, body) + body;
}

void BoxNode::AppendTo(std::vector<uint8_t>& out) const {
    const uint64_t body = BodySize();
    const uint64_t size = HeaderSize(LargeHeader, body) + body;
    if (size > kLargest32BitSize || LargeHeader) {
        AppendBigEndian(1, 4, out);
        out.insert(out.end(), Type.begin(), Type.end());
        AppendBigEndian(size, 8, out);
    } else {
        AppendBigEndian(size, 4, out);
        out.insert(out.end(), Type.begin(), Type.end());
    }
    if (!Parsed) {
        out.insert(out.end(), Body.begin(), Body.end());
        return;
    }
    out.insert(out.end(), Prefix.begin(), Prefix.end());
    for (const BoxNode& child : Children) child.AppendTo(out);
}

BoxNode* BoxNode::Child(const char* type) noexcept {
    for (BoxNode& child : Children) {
        if (child.Is(type)) return &child;
    }
    return nullptr;
}

bool OffsetWithin(const BoxNode& root, const BoxNode* target, uint64_t* offset) noexcept {
    if (&root == target) {
        *offset = 0;
        return true;
    }
    if (!root.Parsed) return false;
    uint64_t at = HeaderSize(root.LargeHeader, root.BodySize()) + root.Prefix.size();
    for (const BoxNode& child : root.Children) {
        if (OffsetWithin(child, target, offset)) {
            *offset += at;
            return true;
        }
        at += child.Size();
    }
    return false;
}

BoxNode LeafBox(const std::string& type, std::vector<uint8_t> body) {
    BoxNode node;
    node.Type = type;
    node.Body = std::move(body);
    return node;
}

BoxNode ParentBox(const std::string& type, std::vector<uint8_t> prefix, std::vector<BoxNode> children) {
    BoxNode node;
    node.Type = type;
    node.Parsed = true;
    node.Prefix = std::move(prefix);
    node.Children = std::move(children);
    return node;
}

bool ParsedWithin(const std::string& parentType, const std::string& type, const uint8_t* body, size_t size,
                  size_t* prefix) noexcept {
    static const char* const kPaths[][2] = {{"", "moov"},     {"moov", "trak"}, {"trak", "mdia"}, {"mdia", "minf"},
                                            {"minf", "stbl"}, {"moov", "udta"}, {"udta", "meta"}, {"meta", "ilst"}};
    *prefix = 0;
    for (const auto& path : kPaths) {
        if (parentType != path[0] || type != path[1]) continue;
        // A meta box is a full box (version and flags first), but QuickTime writes it
        // without them: its handler box then comes first.
        if (type == "meta") *prefix = size >= 8 && std::memcmp(body + 4, "hdlr", 4) == 0 ? 0 : 4;
        return *prefix <= size;
    }
    return false;
}

bool ParseBox(const uint8_t* bytes, const MemoryBox& box, const std::string& parentType, BoxNode& node) {
    node = BoxNode();
    node.Type = box.Type;
    node.LargeHeader = box.LargeHeader;
    const uint8_t* body = bytes + box.BodyStart;
    const size_t size = box.End - box.BodyStart;
    size_t prefix = 0;
    if (!ParsedWithin(parentType, box.Type, body, size, &prefix)) {
        node.Body.assign(body, body + size);
        return true;
    }
    node.Parsed = true;
    node.Prefix.assign(body, body + prefix);
    size_t at = box.BodyStart + prefix;
    MemoryBox child;
    for (BoxStep step; (step = NextMemoryBox(bytes, box.End, &at, child)) != BoxStep::End;) {
        if (step == BoxStep::Damaged) return false;
        node.Children.emplace_back();
        if (!ParseBox(bytes, child, box.Type, node.Children.back())) return false;
    }
    return true;
}

void AppendBigEndian(uint64_t value, int count, std::vector<uint8_t>& out) {
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
