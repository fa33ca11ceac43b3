// MP4 boxes held in memory to be written out again: the boxes a save changes are parsed
// into their children, every other box is kept as its body's bytes.  Sizes are counted
// anew when a box is written, each header keeping its 32- or 64-bit form (64-bit where
// the size needs it); a size of 0 ("to the end") is written as the size it stood for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A box found in bytes in memory: its header at Start, its body [BodyStart, End).
struct MemoryBox {
    std::string Type;
    size_t Start = 0, BodyStart = 0, End = 0;
    bool LargeHeader = false;
};

enum class BoxStep { Found, End, Damaged };

// The box whose header is at *at within [*at, end) of bytes; *at moves past it.  End where
// no bytes are left, Damaged where a header is cut short or a size runs past end.
BoxStep NextMemoryBox(const uint8_t* bytes, size_t end, size_t* at, MemoryBox& box);

struct BoxNode {
    std::string Type;  // four bytes, 0xA9 as it is
    bool LargeHeader = false;
    bool Parsed = false;           // the children are in Children; else the body is Body
    std::vector<uint8_t> Prefix;   // of a parsed box: the bytes before its children
    std::vector<BoxNode> Children;
    std::vector<uint8_t> Body;

    bool Is(const char* type) const noexcept { return Type == type; }
    uint64_t BodySize() const noexcept;
    uint64_t Size() const noexcept;  // header included
    void AppendTo(std::vector<uint8_t>& out) const;
    // The first child of that type; null for none.
    BoxNode* Child(const char* type) noexcept;
};

// Where target's header lies within root's bytes as AppendTo writes them; false where
// target is not root or within it.
bool OffsetWithin(const BoxNode& root, const BoxNode* target, uint64_t* offset) noexcept;

BoxNode LeafBox(const std::string& type, std::vector<uint8_t> body);
BoxNode ParentBox(const std::string& type, std::vector<uint8_t> prefix, std::vector<BoxNode> children);

// Whether a box of type within a box of parentType is parsed into its children, and how
// many bytes come before them: "moov/trak/mdia/minf/stbl" for the chunk offsets,
// "moov/udta/meta/ilst" for the items.  body is the box's body.
bool ParsedWithin(const std::string& parentType, const std::string& type, const uint8_t* body, size_t size,
                  size_t* prefix) noexcept;

// The box of bytes [box.Start, box.End) as a node, its children parsed by ParsedWithin;
// false where a box to be parsed cannot be walked to its end.
bool ParseBox(const uint8_t* bytes, const MemoryBox& box, const std::string& parentType, BoxNode& node);

void AppendBigEndian(uint64_t value, int count, std::vector<uint8_t>& out);
