#include "formats/genre_list.h"

#include <set>

#include "formats/frame_text.h"

namespace {

const wchar_t* const kGenres[] = {
    L"Blues", L"Classic Rock", L"Country", L"Dance", L"Disco", L"Funk", L"Grunge", L"Hip-Hop", L"Jazz", L"Metal",
    L"New Age", L"Oldies", L"Other", L"Pop", L"R&B", L"Rap", L"Reggae", L"Rock", L"Techno", L"Industrial",
    L"Alternative", L"Ska", L"Death Metal", L"Pranks", L"Soundtrack", L"Euro-Techno", L"Ambient", L"Trip-Hop",
    L"Vocal", L"Jazz+Funk", L"Fusion", L"Trance", L"Classical", L"Instrumental", L"Acid", L"House", L"Game",
    L"Sound Clip", L"Gospel", L"Noise", L"Alternative Rock", L"Bass", L"Soul", L"Punk", L"Space", L"Meditative",
    L"Instrumental Pop", L"Instrumental Rock", L"Ethnic", L"Gothic", L"Darkwave", L"Techno-Industrial",
    L"Electronic", L"Pop-Folk", L"Eurodance", L"Dream", L"Southern Rock", L"Comedy", L"Cult", L"Gangsta", L"Top 40",
    L"Christian Rap", L"Pop/Funk", L"Jungle", L"Native American", L"Cabaret", L"New Wave", L"Psychedelic", L"Rave",
    L"Showtunes", L"Trailer", L"Lo-Fi", L"Tribal", L"Acid Punk", L"Acid Jazz", L"Polka", L"Retro", L"Musical",
    L"Rock & Roll", L"Hard Rock",
    // The extension.
    L"Folk", L"Folk-Rock", L"National Folk", L"Swing", L"Fast Fusion", L"Bebop", L"Latin", L"Revival", L"Celtic",
    L"Bluegrass", L"Avantgarde", L"Gothic Rock", L"Progressive Rock", L"Psychedelic Rock", L"Symphonic Rock",
    L"Slow Rock", L"Big Band", L"Chorus", L"Easy Listening", L"Acoustic", L"Humour", L"Speech", L"Chanson", L"Opera",
    L"Chamber Music", L"Sonata", L"Symphony", L"Booty Bass", L"Primus", L"Porn Groove", L"Satire", L"Slow Jam",
    L"Club", L"Tango", L"Samba", L"Folklore", L"Ballad", L"Power Ballad", L"Rhythmic Soul", L"Freestyle", L"Duet",
    L"Punk Rock", L"Drum Solo", L"A Cappella", L"Euro-House", L"Dance Hall", L"Goa", L"Drum & Bass", L"Club-House",
    L"Hardcore", L"Terror", L"Indie", L"BritPop", L"Afro-Punk", L"Polsk Punk", L"Beat", L"Christian Gangsta Rap",
    L"Heavy Metal", L"Black Metal", L"Crossover", L"Contemporary Christian", L"Christian Rock", L"Merengue",
    L"Salsa", L"Thrash Metal", L"Anime", L"JPop", L"Synthpop", L"Abstract", L"Art Rock", L"Baroque", L"Bhangra",
    L"Big Beat", L"Breakbeat", L"Chillout", L"Downtempo", L"Dub", L"EBM", L"Eclectic", L"Electro", L"Electroclash",
    L"Emo", L"Experimental", L"Garage", L"Global", L"IDM", L"Illbient", L"Industro-Goth", L"Jam Band", L"Krautrock",
    L"Leftfield", L"Lounge", L"Math Rock", L"New Romantic", L"Nu-Breakz", L"Post-Punk", L"Post-Rock", L"Psytrance",
    L"Shoegaze", L"Space Rock", L"Trop Rock", L"World Music", L"Neoclassical", L"Audiobook", L"Audio Theatre",
    L"Neue Deutsche Welle", L"Podcast", L"Indie Rock", L"G-Funk", L"Dubstep", L"Garage Rock", L"Psybient",
};
static_assert(sizeof kGenres / sizeof kGenres[0] == 192, "genres 0 to 191");

// The genre a reference names: a number of the list, "RX" or "CR"; null for anything else.
const wchar_t* ReferencedGenre(const std::wstring& reference) {
    if (reference == L"RX") return L"Remix";
    if (reference == L"CR") return L"Cover";
    if (reference.empty() || reference.size() > 3) return nullptr;
    unsigned number = 0;
    for (wchar_t c : reference) {
        if (c < L'0' || c > L'9') return nullptr;
        number = number * 10 + static_cast<unsigned>(c - L'0');
    }
    return GenreName(number);
}

// One value: a bare reference, references in parentheses with an optional name after
// them (the name wins: it refines the references), "((" for a name that starts with "(",
// or a plain name.
void ResolveValue(const std::wstring& value, std::vector<std::wstring>& genres) {
    if (const wchar_t* name = ReferencedGenre(value)) {
        genres.emplace_back(name);
        return;
    }
    if (value.compare(0, 2, L"((") == 0) {
        genres.push_back(value.substr(1));
        return;
    }
    std::vector<std::wstring> referenced;
    size_t at = 0;
    while (at < value.size() && value[at] == L'(') {
        const size_t close = value.find(L')', at);
        if (close == std::wstring::npos) break;
        const wchar_t* name = ReferencedGenre(value.substr(at + 1, close - at - 1));
        if (name == nullptr) break;
        referenced.emplace_back(name);
        at = close + 1;
    }
    if (at < value.size()) {
        genres.push_back(value.substr(at));
    } else {
        genres.insert(genres.end(), referenced.begin(), referenced.end());
    }
}

}  // namespace

const wchar_t* GenreName(unsigned index) noexcept {
    return index < sizeof kGenres / sizeof kGenres[0] ? kGenres[index] : nullptr;
}

std::wstring ResolveGenres(const std::vector<std::wstring>& values) {
    std::vector<std::wstring> genres;
    for (const std::wstring& value : values) ResolveValue(value, genres);
    // "(17)" beside "Rock" names one genre, not two.
    std::set<std::wstring> seen;
    std::vector<std::wstring> distinct;
    for (std::wstring& genre : genres) {
        if (seen.insert(genre).second) distinct.push_back(std::move(genre));
    }
    return JoinValues(std::move(distinct));
}
