// The promise of the checks: a table in which they find no error gives a unit that compiles.
// Random tables, drawn from names that are fine, names that are tricky but fine (directives,
// System's identifiers, blanks and leading zeros in paths, dotted unit names) and names that
// must be refused, and texts with apostrophes, control characters and long runs; random unit
// names, uses lists and language names beside them. Every table without an error is
// generated twice (defining language 1, then 2) and compiled with Free Pascal in Delphi mode,
// many units in one run, against a stub unit that declares the forms' components.
// And every symbol that Free Pascal defines itself, for every target it has, is refused as a
// language name. Needs fpc (see required_tools.h).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "check/compiler_symbols.h"
#include "check/table_checks.h"
#include "generator/build_test_support.h"
#include "generator/pascal_stubs.h"
#include "generator/unit_generator.h"

namespace parlix::check {
namespace {

using testing::Row;

// The components the stub declares: forms and global texts; members, arrays of members,
// texts and arrays of texts of every component. Directives and System's names among them.
const char* const kForms[] = {"frmMain", "frmAbout", "dmData", "FRMMAIN"};
const char* const kGlobals[] = {"gTitle", "gStatus"};
const char* const kMembers[] = {"btnOK", "lblName", "Sub", "Panel1", "Name", "Index", "Message"};
const char* const kMemberArrays[] = {"Panels", "Items"};
const char* const kTexts[] = {"Caption", "Hint", "Text", "Default", "Exit"};
const char* const kTextArrays[] = {"Lines"};

constexpr const char* kStubUnit =
    "unit uStubs;\n"
    "\n"
    "interface\n"
    "\n"
    "type\n"
    "  TNode = class\n"
    "  public\n"
    "    Caption, Hint, Text, Default, Exit: string;\n"
    "    Lines: array[0..15] of string;\n"
    "    btnOK, lblName, Sub, Panel1, Name, Index, Message: TNode;\n"
    "    Panels, Items: array[0..15] of TNode;\n"
    "  end;\n"
    "\n"
    "var\n"
    "  frmMain, frmAbout, dmData: TNode;\n"
    "  gTitle, gStatus: string;\n"
    "\n"
    "implementation\n"
    "\n"
    "end.\n";

// A unit with a dotted name, for the uses lists.
constexpr const char* kDottedStubUnit =
    "unit uStubs.Extra;\n\ninterface\n\nimplementation\n\nend.\n";

// Units a uses list may name beside uStubs, and entries the checks must refuse.
const char* const kGoodUnits[] = {"SysUtils", "Classes", "uStubs.Extra", "Math"};
const char* const kBadUsesEntries[] = {"uStubs;",
                                       "uStubs {$I x}",
                                       "begin",
                                       "",
                                       "System",
                                       "uStubs",
                                       "(*x*)",
                                       "uStubs // x",
                                       "uStubs in 'uStubs.pas'",
                                       "uStubs.",
                                       "ObjPas",
                                       "uStubs\x1A",
                                       "uStubs . Extra"};
// Source file names whose unit names the checks must refuse ("#" stands for the table's own
// part of the name).
const char* const kBadSourceFiles[] = {"u-T#.pas",     "1uT#.pas",  "Begin.pas",
                                       "uT#.type.pas", "uT# x.pas", "uT#\xE4.pas"};

// Constant names that compile (as long as no path starts with them), and words the checks
// must refuse, as constant names or inside paths.
const char* const kGoodNames[] = {"sTitle", "STITLE",  "_x",   "s_1",     "Caption", "Name",
                                  "Result", "Self",    "Exit", "Integer", "True",    "uStubs",
                                  "gTitle", "frmMain", "Read", "Write",   "out",     "operator"};
const char* const kBadWords[] = {"begin",   "Type",      "END",       "inline",          "on",
                                 "at",      "bitpacked", "otherwise", "ParlixTranslate", "1abc",
                                 "s Title", "s-x",       "s\xE4",     "&begin",          "string"};
// Faults of a path that the checks must refuse.
const char* const kPathFaults[] = {".type",         ". end", "..x", ".", "[x]", "[-1]",
                                   "[99999999999]", "[1,2]", ";",   "'", ".1x", " x",
                                   "\xF6",          "[]",    "(0)"};

class TableMaker {
  public:
    explicit TableMaker(unsigned seed) : random_(seed) {}

    bool Chance(int percent) { return Below(100) < percent; }
    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    template <typename T, std::size_t n>
    const char* Pick(T (&items)[n]) {
        return items[Below(static_cast<int>(n))];
    }

    std::string Index() {
        const int index = Below(16);
        std::string text = Chance(20) ? "0" + std::to_string(index) : std::to_string(index);
        return Chance(20) ? "[ " + text + " ]" : "[" + text + "]";
    }
    std::string Dot() { return Chance(10) ? " . " : (Chance(5) ? "\t." : "."); }

    // A path that the stub has, or now and then one with a fault.
    std::string Path() {
        std::string path;
        if (Chance(10)) {
            path = Pick(kGlobals);
        } else {
            path = Pick(kForms);
            for (int depth = Below(3); depth > 0; --depth) {
                path += Dot();
                path += Chance(25) ? std::string(Pick(kMemberArrays)) + Index() : Pick(kMembers);
            }
            path += Dot();
            path += Chance(15) ? std::string(Pick(kTextArrays)) + Index() : Pick(kTexts);
        }
        if (Chance(4)) {  // at the end or before a dot, so that no word grows by it
            std::vector<std::size_t> places = {path.size()};
            for (std::size_t dot = path.find('.'); dot != std::string::npos;
                 dot = path.find('.', dot + 1)) {
                places.push_back(dot);
            }
            path.insert(places[static_cast<std::size_t>(Below(static_cast<int>(places.size())))],
                        Pick(kPathFaults));
        }
        return path;
    }

    std::string Property() {
        std::string property;
        for (int pieces = Below(4); pieces > 0; --pieces) {
            property += Chance(15) ? " , " : ",";
            property += Chance(10) ? "" : Path();
        }
        return property.empty() ? property : property.substr(1);
    }

    std::string Name() {
        if (Chance(45)) {
            return Chance(20) ? "  " : "";
        }
        if (Chance(5)) {
            return Pick(kBadWords);
        }
        if (Chance(15)) {
            return Pick(kGoodNames);
        }
        return "s" + std::to_string(Below(400));
    }

    std::string Text() {
        static const char* const kPieces[] = {"Text",
                                              "Geht's",
                                              "'",
                                              "''",
                                              "%s",
                                              "&Datei",
                                              ("Stra\xDF"
                                               "e"),
                                              "\x1A",
                                              "\t",
                                              "\x01",
                                              "\x7F",
                                              "\xFF",
                                              " ",
                                              "};",
                                              "{$ENDIF}",
                                              "\\",
                                              "\"",
                                              "end."};
        std::string text;
        if (Chance(3)) {
            for (int i = 300 + Below(500); i > 0; --i) {
                text += static_cast<char>(Chance(2) ? '\'' : ' ' + Below(95));
            }
        }
        for (int pieces = Below(5); pieces > 0; --pieces) {
            text += Pick(kPieces);
        }
        return text;
    }

    std::vector<Row> Rows() {
        std::vector<Row> rows;
        for (int count = Below(9); count > 0; --count) {
            Row row{"", Property(), Name(), Text(), Text()};
            if (Chance(5)) {
                row.language2.reset();
            }
            rows.push_back(row);
        }
        return rows;
    }

    std::pair<std::string, std::string> Languages() {
        static const std::pair<const char*, const char*> kPairs[] = {
            {"Deutsch", "English"}, {"de", "en"},         {"Lang_1", "Lang_2"},
            {"L1", "l2"},           {"Begin", "_end"},    {"Deutsch-CH", "English"},
            {"", "English"},        {"1x", "x1"},         {"English", "english"},
            {"\xC4pfel", "Birnen"}, {"LINUX", "English"}, {"Deutsch", "cpu64"},
            {"Fpc", "Unix"}};
        const auto& pair = Chance(85) ? kPairs[Below(5)] : kPairs[Below(13)];
        return {pair.first, pair.second};
    }

    // The source file's name: a plain or tricky unit name, now and then one that must be
    // refused; `own` stands for the table's own part of the name.
    std::string SourceFile(const std::string& own) {
        std::string pattern = "uT#.pas";
        if (Chance(10)) {
            pattern = Chance(50) ? "uT#.de.pas" : "_uT#.pas";
        } else if (Chance(3)) {
            pattern = Pick(kBadSourceFiles);
        }
        const std::size_t mark = pattern.find('#');
        return mark == std::string::npos ? pattern : pattern.replace(mark, 1, own);
    }

    // uStubs and maybe other units, with blanks and line ends around the commas; now and then
    // an entry that must be refused, or the unit itself.
    std::string UsesList(const std::string& unitName) {
        std::vector<std::string> entries = {"uStubs"};
        for (const char* unit : kGoodUnits) {
            if (Chance(20)) {
                entries.insert(entries.begin() + Below(static_cast<int>(entries.size()) + 1), unit);
            }
        }
        if (Chance(4)) {
            entries.insert(entries.begin() + Below(static_cast<int>(entries.size()) + 1),
                           Pick(kBadUsesEntries));
        }
        if (Chance(2)) {
            entries.push_back(unitName);
        }
        static const char* const kSeparators[] = {",", ", ", " , ", ",\r\n  ", "\t,"};
        std::string list;
        for (const std::string& entry : entries) {
            list += (list.empty() ? "" : Pick(kSeparators)) + entry;
        }
        return list;
    }

  private:
    std::mt19937 random_;
};

struct Unit {
    std::string name;
    std::string source;
    unsigned seed;
};

// Compiles a program that uses the stub and `units`; the compiler's messages go to `log`.
bool Compiles(const std::string& fpc, const std::string& folder, const std::vector<Unit>& units,
              std::string& log) {
    std::string program = "program batch;\n\nuses\n  uStubs";
    for (const Unit& unit : units) {
        program += ",\n  " + unit.name;
    }
    program += ";\n\nbegin\nend.\n";
    testing::WriteBytes(folder + "/batch.pas", program);
    const std::string logFile = folder + "/fpc.log";
    const std::string command = "cd '" + folder + "' && '" + fpc + "' -Mdelphi -B -FU'" + folder +
                                "' -FE'" + folder + "' batch.pas >'" + logFile + "' 2>&1";
    const bool compiled = std::system(command.c_str()) == 0;
    log = testing::ReadBytes(logFile);
    return compiled;
}

// The symbols that Free Pascal reports as defined ("Macro defined: X", "Macro X set to ...")
// while it compiles a unit in Delphi mode for `target`: as the system unit (-Us), which needs
// no run-time library for the target.
std::set<std::string> SymbolsDefinedBy(const std::string& fpc, const std::string& folder,
                                       const std::string& target) {
    testing::WriteBytes(folder + "/probe.pas", "unit probe;\ninterface\nimplementation\nend.\n");
    const std::string logFile = folder + "/symbols.log";
    const std::string command = "cd '" + folder + "' && '" + fpc + "' -T" + target +
                                " -Mdelphi -Us -va -FU'" + folder + "' probe.pas >'" + logFile +
                                "' 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());  // the log is enough
    std::set<std::string> symbols;
    const std::string log = testing::ReadBytes(logFile);
    for (std::size_t start = 0; start < log.size();) {
        std::size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end;
        const std::string_view line(log.data() + start, end - start);
        start = end + 1;
        constexpr std::string_view kDefined = "Macro defined: ";
        constexpr std::string_view kSet = "Macro ";
        if (const std::size_t at = line.find(kDefined); at != std::string_view::npos) {
            symbols.emplace(line.substr(at + kDefined.size()));
        } else if (const std::size_t set = line.find(" set to ");
                   set != std::string_view::npos && line.find(kSet) < set) {
            const std::size_t name = line.find(kSet) + kSet.size();
            symbols.emplace(line.substr(name, set - name));
        }
    }
    return symbols;
}

// What Free Pascal defines itself, for each target of the compiler installed, is refused as a
// language name: compared with what the checks know from the compilers' documentation.
TEST(ChecksPromise, EverySymbolFreePascalDefinesIsAnError) {
    const std::string fpc = testing::FindFpc();
    REQUIRE_TOOL(!fpc.empty(), "fpc (fp-compiler)");
    testing::TempDir dir;
    const std::string folder = dir.Path().string();
    const std::set<std::string> linux = SymbolsDefinedBy(fpc, folder, "linux");
    ASSERT_GT(linux.size(), 50u) << "fpc -va reported no symbols";
    for (const char* symbol : {"LINUX", "UNIX", "CPU64", "FPC", "FPC_DELPHI", "FPC_FULLVERSION"}) {
        EXPECT_TRUE(linux.contains(symbol)) << symbol;
    }
    for (const char* target :
         {"linux", "win64", "darwin", "freebsd", "openbsd", "netbsd", "dragonfly", "solaris",
          "haiku", "android", "iphonesim", "aros", "embedded"}) {
        for (const std::string& symbol : SymbolsDefinedBy(fpc, folder, target)) {
            EXPECT_TRUE(IsCompilerSymbol(symbol)) << symbol << " (-T" << target << ")";
        }
    }
    PtfTable table;
    testing::FillTranslations(table, "linux", "Fpc_Delphi", {});
    EXPECT_EQ(CheckTranslations(table).errors, 2);
}

TEST(ChecksPromise, NoErrorMeansTheUnitCompiles) {
    const std::string fpc = testing::FindFpc();
    REQUIRE_TOOL(!fpc.empty(), "fpc (fp-compiler)");
    constexpr unsigned kTables = 500;
    testing::TempDir dir;
    const std::string folder = dir.Path().string();
    testing::WriteBytes(dir.File("uStubs.pas"), kStubUnit);
    testing::WriteBytes(dir.File("uStubs.Extra.pas"), kDottedStubUnit);

    std::vector<Unit> units;
    int refused = 0;
    for (unsigned seed = 1; seed <= kTables; ++seed) {
        TableMaker maker(seed);
        const auto [language1, language2] = maker.Languages();
        PtfTable table;
        testing::FillTranslations(table, language1, language2, maker.Rows());
        ProjectState state;
        state.LanguageNames = {"", language1, language2};
        for (const char* variant : {"a", "b"}) {
            state.SourceFileName = maker.SourceFile(std::to_string(seed) + variant);
            const std::string name = UnitNameFor(state.SourceFileName);
            state.UsesList = maker.UsesList(name);
            if (CheckTranslations(table, {name, state.UsesList}).errors > 0) {
                ++refused;
                break;
            }
            state.BuildLanguage = variant[0] == 'a' ? 1 : 2;
            units.push_back({name, GenerateUnit(state, table), seed});
            testing::WriteBytes(dir.File(name + ".pas"), units.back().source);
        }
    }
    // The tables are meant to be mostly sound, and to be refused often enough.
    EXPECT_GT(units.size(), kTables);
    EXPECT_GT(refused, static_cast<int>(kTables / 10));

    std::string log;
    if (Compiles(fpc, folder, units, log)) {
        return;
    }
    // Find the units that do not compile on their own.
    int failures = 0;
    for (const Unit& unit : units) {
        if (!Compiles(fpc, folder, {unit}, log) && ++failures <= 3) {
            ADD_FAILURE() << "the checks found no error, but the unit of table " << unit.seed
                          << " does not compile:\n"
                          << log << "\n"
                          << unit.source;
        }
    }
    EXPECT_GT(failures, 0) << "the units compile one by one, but not together:\n" << log;
}

}  // namespace
}  // namespace parlix::check
