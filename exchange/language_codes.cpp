// Language names and their BCP 47 codes.
#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/exchange.h"
#include "table/cp1252.h"
#include "table/text.h"

namespace parlix::exchange {

namespace {

struct Known {
    const char* code;
    const char* names;  // UTF-8, separated by "|": the own name, English, German, French, ...
};

// Languages a Delphi application is commonly translated into, each with the names a project
// is likely to give it.
constexpr Known kLanguages[] = {
    {"de", "Deutsch|German|Allemand|Alemán|Tedesco|Duits|Niemiecki|Tysk"},
    {"en", "English|Englisch|Anglais|Inglés|Inglese|Engels|Angielski|Engelsk"},
    {"fr", "Français|Francais|French|Französisch|Franzoesisch|Francés|Francese|Frans|Fransk"},
    {"es", "Español|Espanol|Castellano|Spanish|Spanisch|Espagnol|Spagnolo|Spaans|Spansk"},
    {"it", "Italiano|Italian|Italienisch|Italien|Italiaans|Italiensk"},
    {"nl", "Nederlands|Dutch|Niederländisch|Niederlaendisch|Holländisch|Néerlandais"},
    {"pt", "Português|Portugues|Portuguese|Portugiesisch|Portugais|Portugees"},
    {"sv", "Svenska|Swedish|Schwedisch|Suédois|Zweeds"},
    {"da", "Dansk|Danish|Dänisch|Daenisch|Danois|Deens"},
    {"nb", "Bokmål|Norsk bokmål"},
    {"no", "Norsk|Norwegian|Norwegisch|Norvégien|Noors"},
    {"fi", "Suomi|Finnish|Finnisch|Finnois|Fins"},
    {"is", "Íslenska|Icelandic|Isländisch|Islandais"},
    {"pl", "Polski|Polish|Polnisch|Polonais|Pools"},
    {"cs", "Cestina|Czech|Tschechisch|Tchèque"},
    {"sk", "Slovencina|Slovak|Slowakisch|Slovaque"},
    {"sl", "Slovenscina|Slovenian|Slowenisch|Slovène"},
    {"hr", "Hrvatski|Croatian|Kroatisch|Croate"},
    {"hu", "Magyar|Hungarian|Ungarisch|Hongrois"},
    {"ro", "Româna|Romana|Romanian|Rumänisch|Roumain"},
    {"tr", "Türkçe|Turkce|Turkish|Türkisch|Turc"},
    {"el", "Greek|Griechisch|Grec"},
    {"ru", "Russkij|Russian|Russisch|Russe"},
    {"uk", "Ukrainian|Ukrainisch|Ukrainien"},
    {"bg", "Bulgarian|Bulgarisch|Bulgare"},
    {"et", "Eesti|Estonian|Estnisch|Estonien"},
    {"lv", "Latviesu|Latvian|Lettisch|Letton"},
    {"lt", "Lietuviu|Lithuanian|Litauisch|Lituanien"},
    {"ca", "Català|Catala|Catalan|Katalanisch"},
    {"ga", "Gaeilge|Irish|Irisch|Irlandais"},
    {"ja", "Japanese|Japanisch|Japonais"},
    {"zh", "Chinese|Chinesisch|Chinois"},
    {"ko", "Korean|Koreanisch|Coréen"},
    {"ar", "Arabic|Arabisch|Arabe"},
    {"he", "Hebrew|Hebräisch|Hébreu"},
};

struct Region {
    const char* code;
    const char* names;
};

// Regions written after a name, as in "Deutsch (Schweiz)" or "English (US)".
constexpr Region kRegions[] = {
    {"DE", "Deutschland|Germany|Allemagne"},
    {"AT", "Österreich|Oesterreich|österreichisch|Austria|Autriche"},
    {"CH", "Schweiz|Schweizer|Switzerland|Suisse|Svizzera"},
    {"US", "US|USA|United States|Vereinigte Staaten|Amerika|America|amerikanisch|American"},
    {"GB", "GB|UK|United Kingdom|Großbritannien|Grossbritannien|britisch|British|England"},
    {"CA", "Kanada|Canada"},
    {"AU", "Australien|Australia"},
    {"FR", "Frankreich|France"},
    {"BE", "Belgien|Belgium|Belgique"},
    {"BR", "Brasilien|Brazil|Brasil"},
    {"PT", "Portugal"},
    {"ES", "Spanien|Spain|España"},
    {"MX", "Mexiko|Mexico|México"},
};

// Whether `name` (Windows-1252) is one of the "|"-separated UTF-8 names.
bool OneOf(std::string_view name, const char* names) {
    std::string_view all(names);
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = all.find('|', from);
        std::string_view piece = all.substr(from, bar - from);
        if (std::optional<std::string> bytes = Utf8ToCp1252(piece);
            bytes && SameText(*bytes, name)) {
            return true;
        }
        if (bar == std::string_view::npos) {
            return false;
        }
        from = bar + 1;
    }
}

std::string LanguageOf(std::string_view name) {
    for (const Known& known : kLanguages) {
        if (OneOf(name, known.names)) {
            return known.code;
        }
    }
    return {};
}

std::string RegionOf(std::string_view name) {
    for (const Region& region : kRegions) {
        if (OneOf(name, region.names)) {
            return region.code;
        }
    }
    return {};
}

bool IsAlnum(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
}

}  // namespace

bool IsLanguageCode(std::string_view code) {
    if (code.empty() || code.size() > 64) {
        return false;
    }
    std::size_t from = 0;
    bool first = true;
    for (;;) {
        const std::size_t dash = code.find('-', from);
        std::string_view subtag = code.substr(from, dash - from);
        if (subtag.empty() || subtag.size() > 8) {
            return false;
        }
        for (char c : subtag) {
            if (!IsAlnum(c)) {
                return false;
            }
        }
        if (first) {
            const bool letters = std::all_of(subtag.begin(), subtag.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c)) != 0;
            });
            const bool singleton = subtag == "x" || subtag == "X" || subtag == "i" || subtag == "I";
            if (!letters || (!singleton && (subtag.size() < 2 || subtag.size() > 3))) {
                return false;
            }
            first = false;
        }
        if (dash == std::string_view::npos) {
            return true;
        }
        from = dash + 1;
    }
}

std::string GuessLanguageCode(std::string_view languageName) {
    std::string_view name = TrimView(languageName);
    // "Name (Region)", "Name - Region", "Name, Region".
    std::string_view region;
    if (!name.empty() && name.back() == ')') {
        const std::size_t open = name.rfind('(');
        if (open != std::string_view::npos) {
            region = TrimView(name.substr(open + 1, name.size() - open - 2));
            name = TrimView(name.substr(0, open));
        }
    } else if (std::size_t cut = name.find_first_of(",-"); cut != std::string_view::npos) {
        const std::string language = LanguageOf(TrimView(name.substr(0, cut)));
        const std::string place = RegionOf(TrimView(name.substr(cut + 1)));
        if (!language.empty() && !place.empty()) {
            return language + "-" + place;
        }
    }
    std::string language = LanguageOf(name);
    if (language.empty()) {
        // "American English", "Schweizer Deutsch": a region word before the language.
        const std::size_t blank = name.rfind(' ');
        if (blank != std::string_view::npos && region.empty()) {
            language = LanguageOf(name.substr(blank + 1));
            region = TrimView(name.substr(0, blank));
            if (language.empty()) {
                region = {};
            }
        }
    }
    if (language.empty()) {
        // A code given as the name, such as "en" or "pt-BR".
        if (region.empty() && IsLanguageCode(name) && name.size() <= 12) {
            return std::string(name);
        }
        return {};
    }
    if (!region.empty()) {
        const std::string place = RegionOf(region);
        if (!place.empty()) {
            return language + "-" + place;
        }
    }
    return language;
}

}  // namespace parlix::exchange
