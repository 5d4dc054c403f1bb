// Which band belongs to HF or VHF and which mode to CW, SSB, PHONE or DIGITAL: the one
// classification the award list, the map and kvadrix-tool share.
//
// A band or mode text of the log is read without regard to letter case and to the
// blanks around it ("ssb", " 20m " are SSB and 20M). Modes are named as in the ADIF
// mode and submode lists (FT8, MFSK, FT4, PSK31, OLIVIA 8/250 ...), plus a few names
// that logs write instead of the ADIF one (BPSK31, THROB, PACTOR, VARA) and the log
// window's own words PHONE and DIGITAL.
//
//   const ModeInfo* m = FindMode("ft4");   // MFSK / FT4, digital
//   fModePasses(ModeGroup::Digital, "FT8");  // true
//   fBandPasses(BandGroup::HF, "20m");       // true
//
// ModeInfo also answers "which ADIF MODE and SUBMODE is this mode text": FT4 is MODE
// MFSK with SUBMODE FT4, USB is SSB/USB, PSK31 is PSK/PSK31, FT8 is FT8 with no
// submode. Texts without an ADIF name (PHONE, DIGITAL) have an empty adifMode.
#pragma once

#include <optional>
#include <string_view>

namespace kx {

// Band groups of the application window's radio buttons.
enum class BandGroup {
    All,  // every band, also an empty or unknown one ("HF/VHF")
    HF,   // the HF bands of the band table
    VHF,  // the VHF bands of the band table
};

// Mode groups of the application window's radio buttons.
enum class ModeGroup {
    All,      // every mode, also an empty or unknown one
    CW,       // CW and PCW
    SSB,      // SSB, USB, LSB
    Phone,    // SSB, USB, LSB, AM, FM, digital voice, PHONE
    Digital,  // every data mode
};

// Which QSOs the award list, the map and the application count.
struct AwardFilter {
    BandGroup band = BandGroup::All;
    ModeGroup mode = ModeGroup::All;

    friend bool operator==(const AwardFilter&, const AwardFilter&) = default;
};

// The groups by the names kvadrix-tool takes after --band and --mode ("all", "hf", "vhf";
// "all", "cw", "ssb", "phone", "digital"); nullopt for any other text.
std::optional<BandGroup> BandGroupNamed(std::string_view name);
std::optional<ModeGroup> ModeGroupNamed(std::string_view name);

// What a mode counts as. An image mode (SSTV, FAX, ATV) counts only under All, as an
// unknown text does.
enum class ModeKind { Cw, Ssb, Phone, Digital, Image };

struct ModeInfo {
    std::string_view adifMode;     // ADIF MODE; empty when ADIF has no such mode
    std::string_view adifSubmode;  // ADIF SUBMODE; empty for a mode of its own
    ModeKind kind;
};

// The table row of a mode text, or nullptr for a text the table does not know (also an
// empty one).
const ModeInfo* FindMode(std::string_view mode);

enum class BandKind { Other, HF, VHF };

// HF: 160M 80M 40M 30M 20M 17M 15M 12M 10M; VHF: 6M 2M 70CM 23CM 13CM 9CM 6CM 3CM.
// Every other band (also ADIF bands such as 60M or 4M, and an empty one) is Other.
BandKind FindBand(std::string_view band);

// Whether a log's band / mode text passes the group's filter.
bool fBandPasses(BandGroup group, std::string_view band);
bool fModePasses(ModeGroup group, std::string_view mode);
// Whether a QSO of this band and mode passes both of the filter's groups.
bool Passes(const AwardFilter& filter, std::string_view band, std::string_view mode);

}  // namespace kx
