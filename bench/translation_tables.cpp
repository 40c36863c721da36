#include "bench/translation_tables.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "project/project_files.h"
#include "table/ptf_format.h"

namespace parlix::bench {

namespace {

// A small, fast and fully deterministic generator (xorshift32).
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }

  private:
    std::uint32_t state_;
};

const char* const kTypes[] = {"TLabel",    "TButton", "TForm",     "TMenuItem",      "TCheckBox",
                              "TGroupBox", "TAction", "TTabSheet", "resourcestring", ""};
const char* const kForms[] = {"frmMain",   "frmAddress", "frmAbout", "frmOptions",
                              "dlgSearch", "frmReport",  "frmLogin", "dmData"};
const char* const kControls[] = {"btnOK",   "btnCancel", "lblName",    "edtStreet",  "cbxCountry",
                                 "mnuFile", "actSave",   "tabGeneral", "grpAddress", "chkActive"};
const char* const kProperties[] = {"Caption", "Hint", "Text", "Title", "DisplayLabel"};
// Everyday words of both languages; the octal escapes are German letters in Windows-1252.
const char* const kWords[] = {"Adresse",   "speichern", "Datei",       "\366ffnen",     "Kunde",
                              "Stra\337e", "L\344nge",  "Gr\366\337e", "Einstellungen", "Bericht",
                              "Suche",     "Fehler",    "Caf\351",     "Men\374",       "address",
                              "save",      "file",      "open",        "customer",      "street",
                              "report",    "search",    "error",       "settings"};

const char* const kSpecials[] = {"\"Neu\"", "C:\\Daten", "it's", "'Men\374'"};

std::string PropertyPaths(Random& random) {
    std::string paths;
    const int roll = random.Below(10);  // mostly one path, sometimes two or three
    const int count = roll < 7 ? 1 : roll < 9 ? 2 : 3;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            paths += ',';
        }
        paths += kForms[random.Below(8)];
        if (random.Below(4) != 0) {
            paths += '.';
            paths += kControls[random.Below(10)];
        }
        paths += '.';
        paths += kProperties[random.Below(5)];
    }
    return paths;
}

std::string Text(Random& random) {
    // 5 to 120 bytes, short texts (captions, buttons) being the most common.
    const double u = random.Below(1000) / 1000.0;
    const std::size_t length = 5 + static_cast<std::size_t>(116 * u * u);
    std::string text;
    while (text.size() < length) {
        if (!text.empty()) {
            text += random.Below(12) == 0 ? ", " : " ";
        }
        if (random.Below(40) == 0) {  // now and then a quote, an apostrophe or a backslash
            text += kSpecials[random.Below(static_cast<int>(std::size(kSpecials)))];
        } else {
            text += kWords[random.Below(static_cast<int>(std::size(kWords)))];
        }
    }
    text.resize(length);
    return text;
}

struct FileCache {
    std::filesystem::path folder;
    std::map<int, std::string> files;
    FileCache() {
        std::string pattern = (std::filesystem::temp_directory_path() / "parlix-bench-XXXXXX");
        folder = ::mkdtemp(pattern.data());
    }
    ~FileCache() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

FileCache& Cache() {
    static FileCache cache;
    return cache;
}

std::int64_t StatusValue(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stoll(line.substr(std::string(key).size())) * 1024;
        }
    }
    return 0;
}

}  // namespace

void FillTranslationTable(PtfTable& table, int records, std::uint32_t seed) {
    Random random(seed);
    ControlsDisabled quiet(table);
    for (int i = 0; i < records; ++i) {
        table.Append();
        table.Field(0).SetAsString(kTypes[random.Below(10)]);
        table.Field(1).SetAsString(PropertyPaths(random));
        if (random.Below(10) < 7) {
            table.Field(2).SetAsString("s" + std::to_string(i) + "Text");
        } else {
            table.Field(2).SetAsString("");
        }
        table.Field(3).SetAsString(Text(random));
        table.Field(4).SetAsString(Text(random));
        table.Post();
    }
}

const std::string& TranslationFile(int records) {
    FileCache& cache = Cache();
    auto found = cache.files.find(records);
    if (found != cache.files.end()) {
        return found->second;
    }
    const std::string path =
        (cache.folder / ("t" + std::to_string(records) + "_translations.ptf")).string();
    {
        PtfTable table;
        DefineTranslationFields(table);
        table.CreateTable();
        FillTranslationTable(table, records);
        SavePtfFile(path, '"', table);
    }
    return cache.files.emplace(records, path).first->second;
}

void MakeDiffer(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "r+b")) {
        const int first = std::fgetc(file);
        std::fseek(file, 0, SEEK_SET);
        std::fputc(first == 'X' ? 'Y' : 'X', file);
        std::fclose(file);
    }
}

std::int64_t FileSize(const std::string& path) {
    return static_cast<std::int64_t>(std::filesystem::file_size(path));
}

std::int64_t PeakResidentBytes() {
    return StatusValue("VmHWM:");
}
std::int64_t CurrentResidentBytes() {
    return StatusValue("VmRSS:");
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace parlix::bench
