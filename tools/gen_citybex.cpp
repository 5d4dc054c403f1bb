// gen_citybex: writes the city table "CityBEX.dat" from the gazetteer extract
// tools/data/lt-places.csv (Who's On First / GeoNames) and the GeoNames towns and city
// districts of tools/data/geonames-lt-cities.csv (see tools/data/SOURCES.md).
//
//   gen_citybex <lt-places.csv> <geonames-lt-cities.csv> <BEXWWL.dat> <CityBEX.dat> <points.tsv>
//
// Rules:
// - rows that are deprecated, superseded or no longer current are skipped, and so are the
//   two broken names of the extract ("Š Akiai", "Š Irvintos": a lone first letter);
// - an ASCII-only name whose Lithuanian spelling is among the row's variants gets it back;
// - a GeoNames town (every row of the second file has over 1000 people or is a seat) is
//   the place of the extract with the same name (Lithuanian letters folded, "Akademija
//   (Kaunas)" read as "Akademija") within 3 km, which then counts as a town; a town or
//   city district the extract lacks (Visaginas, Naujoji Vilnia, Pilaitė ...) is added; a
//   town whose name the extract has further away is added only as a district of a city;
// - rows that are one place (same name and municipality, within 3 km) are merged, the
//   town's row (or the more populous one) kept;
// - each place gets the square that contains its point first, computed as the calculator
//   computes it (GridCodeOf: 32-bit coordinates, extended precision, truncation), then
//   every other square of the award area within its radius, nearest first, at most four
//   codes; radius in km = max(1, 0.01 * sqrt(population)), population 0 when unknown. A
//   place whose own grid square lies outside the award area gets the award squares
//   within its radius, or the nearest one;
// - where several places share a name (compared as the table compares keys: ASCII
//   letters folded), the most populous, a town before a village, keeps the plain name
//   when it is the only one so ranked; the others get their municipality in brackets,
//   "Pakalniškiai (Kretingos r.)", and where that is still shared also their first
//   square, "Pakalniškiai (Kretingos r., C03)";
// - names in Windows-1257, section "[City]", CRLF line ends, sorted by name.
// The points file lists each written key with the coordinates it was computed from, so
// that the tests can check the first square of every entry.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "geo/BexGrid.h"
#include "platform/Cp1257.h"
#include "tables/TableFile.h"

namespace {

using kx::Cp1257;
using kx::UpperCp1257;

// ---- CSV (RFC 4180) -------------------------------------------------------------------
std::vector<std::vector<std::string>> ReadCsv(const std::string& bytes) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (any || !field.empty()) {
                row.push_back(field);
                rows.push_back(row);
            }
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) {
        row.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot open " << path << "\n";
        std::exit(1);
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---- Lithuanian letters ---------------------------------------------------------------
// The name with the Lithuanian letters replaced by their base letters (UTF-8).
std::string FoldDiacritics(const std::string& utf8) {
    static const std::map<std::string, char> base = {
        {"ą", 'a'}, {"č", 'c'}, {"ę", 'e'}, {"ė", 'e'}, {"į", 'i'}, {"š", 's'},
        {"ų", 'u'}, {"ū", 'u'}, {"ž", 'z'}, {"Ą", 'A'}, {"Č", 'C'}, {"Ę", 'E'},
        {"Ė", 'E'}, {"Į", 'I'}, {"Š", 'S'}, {"Ų", 'U'}, {"Ū", 'U'}, {"Ž", 'Z'}};
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        bool done = false;
        if (static_cast<unsigned char>(utf8[i]) >= 0x80 && i + 1 < utf8.size()) {
            auto it = base.find(utf8.substr(i, 2));
            if (it != base.end()) {
                out += it->second;
                i += 2;
                done = true;
            }
        }
        if (!done) out += utf8[i++];
    }
    return out;
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// ---- municipalities -------------------------------------------------------------------
struct CityMunicipality {
    const char* county;  // the extract's short county value
    const char* genitive;
    double lat, lon, radiusKm;  // the city municipality around the centre
};

// Counties given by a city's name that stand for both a city and a district municipality.
const CityMunicipality kCityCounties[] = {
    {"Vilnius", "Vilniaus", 54.6907, 25.2613, 11.0},
    {"Kaunas", "Kauno", 54.9022, 23.9350, 7.0},
    {"Klaipėda", "Klaipėdos", 55.7063, 21.1581, 6.0},
    {"Šiauliai", "Šiaulių", 55.9154, 23.3162, 5.0},
    {"Panevežys", "Panevėžio", 55.7340, 24.3670, 4.0},
    {"Alytus", "Alytaus", 54.4063, 24.0315, 3.5},
};

// Other short county values and their municipality labels.
const std::map<std::string, std::string> kShortCounties = {
    {"Moletai", "Molėtų r."},
    {"Kelme", "Kelmės r."},
    {"Ignalina", "Ignalinos r."},
    {"Ukmerge", "Ukmergės r."},
    {"Biržai", "Biržų r."},
    {"Kedainiai", "Kėdainių r."},
    {"Radviliškis", "Radviliškio r."},
    {"Telšiai", "Telšių r."},
    {"Šilute", "Šilutės r."},
    {"Taurage", "Tauragės r."},
    {"Marijampole", "Marijampolės sav."},
    {"Elektrenai", "Elektrėnų sav."},
    {"Plunge", "Plungės r."},
    {"Kazlu Ruda", "Kazlų Rūdos sav."},
    {"Pagėgiai", "Pagėgių sav."},
    {"Visaginas", "Visagino sav."},
    {"Neringa", "Neringos sav."},
    {"Palanga", "Palangos m."},
};

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
    const double kDeg = 111.195;  // km per degree of a great circle
    double dy = (lat2 - lat1) * kDeg;
    double dx = (lon2 - lon1) * kDeg * std::cos((lat1 + lat2) / 2 * M_PI / 180);
    return std::hypot(dx, dy);
}

// Whether a point lies in one of the cities, with the county value naming that city.
bool InCity(const std::string& county, double lat, double lon) {
    for (const auto& m : kCityCounties)
        if (Trim(county) == m.county && DistanceKm(lat, lon, m.lat, m.lon) <= m.radiusKm)
            return true;
    return false;
}

// The municipality label of a county value ("" when the county is unknown).
std::string MunicipalityLabel(const std::string& county, double lat, double lon) {
    const std::string c = Trim(county);
    if (c.empty()) return "";
    for (const auto& m : kCityCounties) {
        if (c == m.county) {
            bool city = DistanceKm(lat, lon, m.lat, m.lon) <= m.radiusKm;
            return std::string(m.genitive) + (city ? " m." : " r.");
        }
    }
    if (auto it = kShortCounties.find(c); it != kShortCounties.end()) return it->second;
    const std::string rajono = " rajono savivaldybė", miesto = " miesto savivaldybė",
                      sav = " savivaldybė";
    auto ends = [&](const std::string& s) {
        return c.size() > s.size() && c.compare(c.size() - s.size(), s.size(), s) == 0;
    };
    if (ends(rajono)) return c.substr(0, c.size() - rajono.size()) + " r.";
    if (ends(miesto)) return c.substr(0, c.size() - miesto.size()) + " m.";
    if (ends(sav)) return c.substr(0, c.size() - sav.size()) + " sav.";
    return c;
}

// ---- places ---------------------------------------------------------------------------
struct Place {
    std::string nameUtf8;
    std::string latText, lonText;
    double lat = 0, lon = 0;
    float lat32 = 0, lon32 = 0;
    long population = 0;
    bool town = false;
    std::string municipality;  // UTF-8 label
    std::string key;           // Windows-1257 name as written
    std::vector<std::string> codes;
    bool merged = false;
};

struct Square {
    std::string code;
    double north, south, west, east;
};

std::vector<Square> ReadSquares(const std::string& path) {
    std::vector<Square> squares;
    auto ini = kx::IniData::Parse(ReadAll(path));
    const kx::IniSection* sec = ini.section("BEX");
    if (!sec) {
        std::cerr << "no [BEX] section in " << path << "\n";
        std::exit(1);
    }
    for (const auto& e : sec->entries) {
        if (e.key.size() != 3 || e.value.empty()) continue;
        int row = e.key[0] - 'A', col = (e.key[1] - '0') * 10 + (e.key[2] - '0');
        double north = 56.5 - row / 6.0, west = 125 / 6.0 + col / 6.0;
        squares.push_back({e.key, north, north - 1 / 6.0, west, west + 1 / 6.0});
    }
    return squares;
}

double DistanceToSquareKm(const Place& p, const Square& s) {
    double lat = std::clamp(p.lat, s.south, s.north);
    double lon = std::clamp(p.lon, s.west, s.east);
    return DistanceKm(p.lat, p.lon, lat, lon);
}

bool Better(const Place& a, const Place& b) {  // ranks a before b for the plain name
    if (a.town != b.town) return a.town;
    return a.population > b.population;
}

long ToLong(const std::string& s) {
    return s.empty() ? 0 : std::atol(s.c_str());
}

// A decimal number of the gazetteers ("54.6907"), the same in every locale.
template <class T>
T Number(const std::string& text) {
    T value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        std::cerr << "not a number: \"" << text << "\"\n";
        std::exit(1);
    }
    return value;
}

void SetPoint(Place& p, const std::string& lat, const std::string& lon) {
    p.latText = lat;
    p.lonText = lon;
    p.lat = Number<double>(lat);
    p.lon = Number<double>(lon);
    p.lat32 = Number<float>(lat);
    p.lon32 = Number<float>(lon);
}

std::string NameKey(const std::string& utf8) {
    return UpperCp1257(*kx::Utf8ToCp1257(FoldDiacritics(utf8)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: gen_citybex <lt-places.csv> <geonames-lt-cities.csv> <BEXWWL.dat> "
                     "<CityBEX.dat> <points.tsv>\n";
        return 2;
    }
    const auto csv = ReadCsv(ReadAll(argv[1]));
    const auto towns = ReadCsv(ReadAll(argv[2]));
    const auto squares = ReadSquares(argv[3]);
    std::set<std::string> squareCodes;
    for (const auto& s : squares) squareCodes.insert(s.code);

    std::map<std::string, int> col;
    for (std::size_t i = 0; i < csv.at(0).size(); ++i) col[csv[0][i]] = static_cast<int>(i);
    auto get = [&](const std::vector<std::string>& r, const char* name) -> std::string {
        auto it = col.find(name);
        if (it == col.end()) {
            std::cerr << "missing column " << name << "\n";
            std::exit(1);
        }
        return it->second < static_cast<int>(r.size()) ? r[it->second] : std::string();
    };

    int skippedStatus = 0, skippedBroken = 0, restored = 0;
    std::vector<Place> places;
    for (std::size_t i = 1; i < csv.size(); ++i) {
        const auto& r = csv[i];
        if (!get(r, "deprecated").empty() || !get(r, "superseded_by").empty() ||
            get(r, "is_current") == "0") {
            ++skippedStatus;
            continue;
        }
        Place p;
        p.nameUtf8 = Trim(get(r, "name"));
        // "Š Akiai": a first word of one letter is a broken name of the extract.
        const auto blank = p.nameUtf8.find(' ');
        if (p.nameUtf8.empty() || (blank != std::string::npos && blank <= 2 &&
                                   FoldDiacritics(p.nameUtf8.substr(0, blank)).size() == 1)) {
            ++skippedBroken;
            continue;
        }
        if (IsAscii(p.nameUtf8)) {
            std::stringstream variants(get(r, "lt_variants"));
            for (std::string v; std::getline(variants, v, '|');) {
                v = Trim(v);
                if (v != p.nameUtf8 && FoldDiacritics(v) == p.nameUtf8) {
                    p.nameUtf8 = v;
                    ++restored;
                    break;
                }
            }
        }
        SetPoint(p, get(r, "lat"), get(r, "lon"));
        p.population = std::max(ToLong(get(r, "gn_population")), ToLong(get(r, "wof_population")));
        p.town = get(r, "src_geom") == "quattroshapes" || p.population > 0;
        p.municipality = MunicipalityLabel(get(r, "county"), p.lat, p.lon);
        places.push_back(std::move(p));
    }

    // The GeoNames towns: the extract's place of that name nearby, or a place of their own.
    int townsKnown = 0, townsAdded = 0, townsSkipped = 0;
    std::vector<std::string> nameKeys;
    for (const auto& p : places) nameKeys.push_back(NameKey(p.nameUtf8));
    for (std::size_t i = 1; i < towns.size(); ++i) {
        const auto& r = towns[i];
        if (r.size() < 4) {
            std::cerr << "short row " << i + 1 << " of " << argv[2] << "\n";
            return 1;
        }
        Place t;
        t.nameUtf8 = Trim(r[0].substr(0, r[0].find(" (")));
        SetPoint(t, r[1], r[2]);
        t.town = true;
        Place* same = nullptr;
        double sameKm = 3;
        const std::string key = NameKey(t.nameUtf8);
        for (std::size_t k = 0; k < nameKeys.size(); ++k) {
            if (nameKeys[k] != key) continue;
            const double d = DistanceKm(places[k].lat, places[k].lon, t.lat, t.lon);
            if (d <= sameKm) {
                sameKm = d;
                same = &places[k];
            }
        }
        if (same) {
            same->town = true;
            ++townsKnown;
            continue;
        }
        // Further away, a name the extract has is a second place only inside a city (a
        // district): elsewhere GeoNames' point may be off (its Obeliai lies 40 km west of
        // the town), and the extract's place is kept as it is.
        if (!InCity(r[3], t.lat, t.lon) &&
            std::find(nameKeys.begin(), nameKeys.end(), key) != nameKeys.end()) {
            ++townsSkipped;
            continue;
        }
        // A municipality the label rules know; any other is taken from the nearest place.
        const std::string label = MunicipalityLabel(r[3], t.lat, t.lon);
        if (label != Trim(r[3])) t.municipality = label;
        places.push_back(std::move(t));
        ++townsAdded;
    }

    // Unknown municipalities: that of the nearest place that has one.
    std::vector<std::string> filled(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (!places[i].municipality.empty()) continue;
        double best = 1e9;
        for (const auto& q : places) {
            if (q.municipality.empty()) continue;
            double d = DistanceKm(places[i].lat, places[i].lon, q.lat, q.lon);
            if (d < best) {
                best = d;
                filled[i] = q.municipality;
            }
        }
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i].municipality.empty()) places[i].municipality = filled[i];
    }

    // Keys as the table compares them.
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < places.size(); ++i) {
        auto cp = kx::Utf8ToCp1257(places[i].nameUtf8);
        if (!cp) {
            std::cerr << "name not in Windows-1257: " << places[i].nameUtf8 << "\n";
            return 1;
        }
        places[i].key = *cp;
        byName[UpperCp1257(*cp)].push_back(i);
    }

    // One place, several rows: same name and municipality within 3 km.
    int merged = 0;
    for (auto& [name, ids] : byName) {
        std::stable_sort(ids.begin(), ids.end(), [&](std::size_t a, std::size_t b) {
            return Better(places[a], places[b]);
        });
        std::vector<std::size_t> kept;
        for (std::size_t id : ids) {
            bool same = false;
            for (std::size_t k : kept) {
                if (places[k].municipality == places[id].municipality &&
                    DistanceKm(places[k].lat, places[k].lon, places[id].lat, places[id].lon) <= 3) {
                    same = true;
                    break;
                }
            }
            if (same) {
                places[id].merged = true;
                ++merged;
            } else {
                kept.push_back(id);
            }
        }
        ids = kept;
    }

    // Squares.
    int outside = 0;
    for (auto& p : places) {
        if (p.merged) continue;
        auto own = kx::GridCodeOf(p.lat32, p.lon32);
        if (own && squareCodes.count(*own)) {
            p.codes.push_back(*own);
        } else {
            ++outside;
        }
        const double radius = std::max(1.0, 0.01 * std::sqrt(static_cast<double>(p.population)));
        std::vector<std::pair<double, std::string>> near;
        const Square* nearest = nullptr;
        double nearestKm = 1e9;
        for (const auto& s : squares) {
            double d = DistanceToSquareKm(p, s);
            if (d < nearestKm) {
                nearestKm = d;
                nearest = &s;
            }
            if (d <= radius && (p.codes.empty() || s.code != p.codes[0]))
                near.push_back({d, s.code});
        }
        std::sort(near.begin(), near.end());
        for (const auto& n : near) {
            if (p.codes.size() == 4) break;
            p.codes.push_back(n.second);
        }
        if (p.codes.empty() && nearest) p.codes.push_back(nearest->code);
    }

    // Shared names.
    for (auto& [name, ids] : byName) {
        if (ids.size() < 2) continue;
        const bool plain = Better(places[ids[0]], places[ids[1]]);
        std::map<std::string, int> labels;
        for (std::size_t n = plain ? 1 : 0; n < ids.size(); ++n) {
            labels[UpperCp1257(*kx::Utf8ToCp1257(places[ids[n]].municipality))]++;
        }
        for (std::size_t n = plain ? 1 : 0; n < ids.size(); ++n) {
            Place& p = places[ids[n]];
            std::string label = p.municipality;
            if (labels[UpperCp1257(*kx::Utf8ToCp1257(label))] > 1) label += ", " + p.codes[0];
            p.key = *kx::Utf8ToCp1257(p.nameUtf8 + " (" + label + ")");
        }
    }

    // Every key unique as the table compares keys.
    std::vector<Place*> out;
    for (auto& p : places)
        if (!p.merged) out.push_back(&p);
    std::stable_sort(out.begin(), out.end(), [](const Place* a, const Place* b) {
        std::string ka = UpperCp1257(a->key), kb = UpperCp1257(b->key);
        return ka != kb ? ka < kb : a->key < b->key;
    });
    std::set<std::string> seen;
    int renumbered = 0;
    for (Place* p : out) {
        std::string key = p->key;
        for (int n = 2; seen.count(UpperCp1257(key)); ++n) {
            // "X (Molėtų r., I27)" twice: the second becomes "X (Molėtų r., I27, 2)".
            if (!p->key.empty() && p->key.back() == ')') {
                key = p->key.substr(0, p->key.size() - 1) + ", " + std::to_string(n) + ")";
            } else {
                key = p->key + " (" + std::to_string(n) + ")";
            }
        }
        if (key != p->key) ++renumbered;
        p->key = key;
        seen.insert(UpperCp1257(key));
    }

    std::string table = "[City]\r\n", points;
    points += "# key\tlat\tlon\tcodes (Windows-1257; written by gen_citybex)\n";
    for (const Place* p : out) {
        std::string codes;
        for (const auto& c : p->codes) codes += (codes.empty() ? "" : ",") + c;
        table += p->key + "=" + codes + "\r\n";
        points += p->key + "\t" + p->latText + "\t" + p->lonText + "\t" + codes + "\n";
    }
    std::ofstream(argv[4], std::ios::binary) << table;
    std::ofstream(argv[5], std::ios::binary) << points;
    std::cerr << "rows " << csv.size() - 1 << ", skipped (status) " << skippedStatus
              << ", skipped (broken name) " << skippedBroken << ", spelling restored " << restored
              << ", merged " << merged << ", own square outside the award area " << outside
              << ", renumbered " << renumbered << ", GeoNames towns found " << townsKnown
              << ", added " << townsAdded << ", left out (a place of that name elsewhere) "
              << townsSkipped << ", written " << out.size() << "\n";
    return 0;
}
