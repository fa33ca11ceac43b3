#include "formats/genre_list.h"

#include <set>

#include "formats/id3v2/frame_text.h"

namespace {

const char16_t* const kGenres[] = {
    u"Blues", u"Classic Rock", u"Country", u"Dance", u"Disco", u"Funk", u"Grunge", u"Hip-Hop", u"Jazz", u"Metal",
    u"New Age", u"Oldies", u"Other", u"Pop", u"R&B", u"Rap", u"Reggae", u"Rock", u"Techno", u"Industrial",
    u"Alternative", u"Ska", u"Death Metal", u"Pranks", u"Soundtrack", u"Euro-Techno", u"Ambient", u"Trip-Hop",
    u"Vocal", u"Jazz+Funk", u"Fusion", u"Trance", u"Classical", u"Instrumental", u"Acid", u"House", u"Game",
    u"Sound Clip", u"Gospel", u"Noise", u"Alternative Rock", u"Bass", u"Soul", u"Punk", u"Space", u"Meditative",
    u"Instrumental Pop", u"Instrumental Rock", u"Ethnic", u"Gothic", u"Darkwave", u"Techno-Industrial",
    u"Electronic", u"Pop-Folk", u"Eurodance", u"Dream", u"Southern Rock", u"Comedy", u"Cult", u"Gangsta", u"Top 40",
    u"Christian Rap", u"Pop/Funk", u"Jungle", u"Native American", u"Cabaret", u"New Wave", u"Psychedelic", u"Rave",
    u"Showtunes", u"Trailer", u"Lo-Fi", u"Tribal", u"Acid Punk", u"Acid Jazz", u"Polka", u"Retro", u"Musical",
    u"Rock & Roll", u"Hard Rock",
    // The extension.
    u"Folk", u"Folk-Rock", u"National Folk", u"Swing", u"Fast Fusion", u"Bebop", u"Latin", u"Revival", u"Celtic",
    u"Bluegrass", u"Avantgarde", u"Gothic Rock", u"Progressive Rock", u"Psychedelic Rock", u"Symphonic Rock",
    u"Slow Rock", u"Big Band", u"Chorus", u"Easy Listening", u"Acoustic", u"Humour", u"Speech", u"Chanson", u"Opera",
    u"Chamber Music", u"Sonata", u"Symphony", u"Booty Bass", u"Primus", u"Porn Groove", u"Satire", u"Slow Jam",
    u"Club", u"Tango", u"Samba", u"Folklore", u"Ballad", u"Power Ballad", u"Rhythmic Soul", u"Freestyle", u"Duet",
    u"Punk Rock", u"Drum Solo", u"A Cappella", u"Euro-House", u"Dance Hall", u"Goa", u"Drum & Bass", u"Club-House",
    u"Hardcore", u"Terror", u"Indie", u"BritPop", u"Afro-Punk", u"Polsk Punk", u"Beat", u"Christian Gangsta Rap",
    u"Heavy Metal", u"Black Metal", u"Crossover", u"Contemporary Christian", u"Christian Rock", u"Merengue",
    u"Salsa", u"Thrash Metal", u"Anime", u"JPop", u"Synthpop", u"Abstract", u"Art Rock", u"Baroque", u"Bhangra",
    u"Big Beat", u"Breakbeat", u"Chillout", u"Downtempo", u"Dub", u"EBM", u"Eclectic", u"Electro", u"Electroclash",
    u"Emo", u"Experimental", u"Garage", u"Global", u"IDM", u"Illbient", u"Industro-Goth", u"Jam Band", u"Krautrock",
    u"Leftfield", u"Lounge", u"Math Rock", u"New Romantic", u"Nu-Breakz", u"Post-Punk", u"Post-Rock", u"Psytrance",
    u"Shoegaze", u"Space Rock", u"Trop Rock", u"World Music", u"Neoclassical", u"Audiobook", u"Audio Theatre",
    u"Neue Deutsche Welle", u"Podcast", u"Indie Rock", u"G-Funk", u"Dubstep", u"Garage Rock", u"Psybient",
};
static_assert(sizeof kGenres / sizeof kGenres[0] == 192, "genres 0 to 191");

// The genre a reference names: a number of the list, "RX" or "CR"; null for anything else.
const char16_t* ReferencedGenre(const std::u16string& reference) {
    if (reference == u"RX") return u"Remix";
    if (reference == u"CR") return u"Cover";
    if (reference.empty() || reference.size() > 3) return nullptr;
    unsigned number = 0;
    for (char16_t c : reference) {
        if (c < u'0' || c > u'9') return nullptr;
        number = number * 10 + static_cast<unsigned>(c - u'0');
    }
    return GenreName(number);
}

// One value: a bare reference, references in parentheses with an optional name after
// them (the name wins: it refines the references), "((" for a name that starts with "(",
// or a plain name.
void ResolveValue(const std::u16string& value, std::vector<std::u16string>& genres) {
    if (const char16_t* name = ReferencedGenre(value)) {
        genres.emplace_back(name);
        return;
    }
    if (value.compare(0, 2, u"((") == 0) {
        genres.push_back(value.substr(1));
        return;
    }
    std::vector<std::u16string> referenced;
    size_t at = 0;
    while (at < value.size() && value[at] == u'(') {
        const size_t close = value.find(u')', at);
        if (close == std::u16string::npos) break;
        const char16_t* name = ReferencedGenre(value.substr(at + 1, close - at - 1));
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

const char16_t* GenreName(unsigned index) noexcept {
    return index < sizeof kGenres / sizeof kGenres[0] ? kGenres[index] : nullptr;
}

std::u16string ResolveGenres(const std::vector<std::u16string>& values) {
    std::vector<std::u16string> genres;
    for (const std::u16string& value : values) ResolveValue(value, genres);
    if (genres.size() == 1) return std::move(genres[0]);
    // "(17)" beside "Rock" names one genre, not two.
    std::set<std::u16string> seen;
    std::vector<std::u16string> distinct;
    for (std::u16string& genre : genres) {
        if (seen.insert(genre).second) distinct.push_back(std::move(genre));
    }
    return JoinValues(std::move(distinct));
}
