// The genres that ID3v1 numbers: the original 80, and the extension to 191 that players
// and taggers share.  ID3v2 refers to them as "(17)" or "17".
#pragma once
#include <string>
#include <vector>

// The name of genre number index; null past the end of the list (255 means "none").
const char16_t* GenreName(unsigned index) noexcept;

// The genre a TCON frame's values name, references resolved: "(17)", "17" and
// "(17)Rock" all give "Rock", "(RX)" "Remix", "(CR)" "Cover"; several values joined "; ".
std::u16string ResolveGenres(const std::vector<std::u16string>& values);
