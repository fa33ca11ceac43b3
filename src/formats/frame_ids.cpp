#include "formats/frame_ids.h"

#include <cstring>

namespace {

struct Rename {
    char Old[4];
    wchar_t New[5];
};

const Rename kRenames[] = {
    {"BUF", L"RBUF"}, {"CNT", L"PCNT"}, {"COM", L"COMM"}, {"CRA", L"AENC"}, {"ETC", L"ETCO"}, {"GEO", L"GEOB"},
    {"IPL", L"TIPL"}, {"LNK", L"LINK"}, {"MCI", L"MCDI"}, {"MLL", L"MLLT"}, {"PIC", L"APIC"}, {"POP", L"POPM"},
    {"REV", L"RVRB"}, {"SLT", L"SYLT"}, {"STC", L"SYTC"}, {"TAL", L"TALB"}, {"TBP", L"TBPM"}, {"TCM", L"TCOM"},
    {"TCO", L"TCON"}, {"TCP", L"TCMP"}, {"TCR", L"TCOP"}, {"TDA", L"TDAT"}, {"TDY", L"TDLY"}, {"TEN", L"TENC"},
    {"TFT", L"TFLT"}, {"TIM", L"TIME"}, {"TKE", L"TKEY"}, {"TLA", L"TLAN"}, {"TLE", L"TLEN"}, {"TMT", L"TMED"},
    {"TOA", L"TOPE"}, {"TOF", L"TOFN"}, {"TOL", L"TOLY"}, {"TOR", L"TORY"}, {"TOT", L"TOAL"}, {"TP1", L"TPE1"},
    {"TP2", L"TPE2"}, {"TP3", L"TPE3"}, {"TP4", L"TPE4"}, {"TPA", L"TPOS"}, {"TPB", L"TPUB"}, {"TRC", L"TSRC"},
    {"TRD", L"TRDA"}, {"TRK", L"TRCK"}, {"TSI", L"TSIZ"}, {"TSS", L"TSSE"}, {"TT1", L"TIT1"}, {"TT2", L"TIT2"},
    {"TT3", L"TIT3"}, {"TXT", L"TEXT"}, {"TXX", L"TXXX"}, {"TYE", L"TYER"}, {"UFI", L"UFID"}, {"ULT", L"USLT"},
    {"WAF", L"WOAF"}, {"WAR", L"WOAR"}, {"WAS", L"WOAS"}, {"WCM", L"WCOM"}, {"WCP", L"WCOP"}, {"WPB", L"WPUB"},
    {"WXX", L"WXXX"},
};

}  // namespace

bool IsFrameId(const BYTE* bytes, size_t length) noexcept {
    for (size_t i = 0; i < length; ++i) {
        const BYTE c = bytes[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

std::wstring FrameIdOf(const BYTE* bytes, int version) {
    if (version == 2) {
        for (const Rename& rename : kRenames) {
            if (std::memcmp(rename.Old, bytes, 3) == 0) return rename.New;
        }
        return std::wstring(bytes, bytes + 3);
    }
    return std::wstring(bytes, bytes + 4);
}
