// The real forms of the Lazarus sources: every one is read, and the binary form that Free
// Pascal makes of it (what {$R *.lfm} stores in a program; the compiler has its resource
// compiler fpcres convert the text) reads the same. Delphi forms written by hand from a few of
// them, with Delphi's #nnnn codes and + breaks, read the same as their originals too.
//
// The binary forms of the corpus are made once and kept in the build folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/form_dump.h"
#include "forms/form_reader.h"
#include "forms/lazarus_corpus.h"
#include "required_tools.h"
#include "test_support.h"

namespace parlix::forms {
namespace {

namespace fs = std::filesystem;
using parlix::testing::Dump;

// Converts each source form into Free Pascal's external resource format, in one shell run;
// `log` keeps what fpcres said. Returns false when any conversion failed.
bool RunFpcres(const std::vector<std::pair<std::string, std::string>>& jobs,
               const std::string& folder) {
    const std::string list = folder + "/fpcres-jobs.txt";
    const std::string log = folder + "/fpcres.log";
    fs::create_directories(folder);
    {
        std::ofstream out(list);
        for (const auto& [source, target] : jobs) {
            fs::create_directories(fs::path(target).parent_path());
            out << source << '\n' << target << ".tmp\n";
        }
    }
    const std::string command =
        "while IFS= read -r source && IFS= read -r target; do "
        "fpcres -of external -o \"$target\" \"$source\" || exit 1; "
        "done <'" +
        list + "' >'" + log + "' 2>&1";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "fpcres failed:\n" << parlix::testing::ReadBytes(log);
        return false;
    }
    for (const auto& [source, target] : jobs) {
        fs::rename(target + ".tmp", target);
    }
    return true;
}

// The resource's data in fpcres' external format: a header ("FPCRES", version, byte order,
// the count, the sizes of the node tree and of the whole header), the nodes, the data.
std::string ResourceData(const std::string& file) {
    const std::string bytes = parlix::testing::ReadBytes(file);
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    if (bytes.size() < 32 || bytes.compare(0, 6, "FPCRES") != 0 || u32(8) != 1 ||
        u32(16) > bytes.size()) {
        ADD_FAILURE() << file << " is no fpcres file with one resource";
        return {};
    }
    return bytes.substr(u32(16));
}

// The Lazarus sources, and fpcres to make their binary forms.
#define REQUIRE_CORPUS()                                                                       \
    do {                                                                                       \
        REQUIRE_TOOL(fs::exists(parlix::testing::kLazarusSources),                             \
                     "the Lazarus sources (lazarus-src-2.2)");                                 \
        REQUIRE_TOOL(!parlix::testing::FindProgram("fpcres").empty(), "fpcres (fp-compiler)"); \
    } while (false)

struct Figures {
    int strings = 0;
    int inheritedRoots = 0;
    int inlineFrames = 0;
    int filesWithChildPositions = 0;
};

void Count(const FormComponent& component, Figures& figures, bool& childPosition) {
    figures.strings += static_cast<int>(component.strings.size());
    figures.inlineFrames += component.declaration == Declaration::Inline ? 1 : 0;
    childPosition = childPosition || component.childPosition >= 0;
    for (const FormComponent& child : component.children) {
        Count(child, figures, childPosition);
    }
}

TEST(LazarusForms, EveryOneIsReadAndItsBinaryFormFromFreePascalReadsTheSame) {
    REQUIRE_CORPUS();
    const std::vector<std::string> files = parlix::testing::LazarusForms();
    ASSERT_EQ(files.size(), 863u);

    const std::string cache = std::string(PARLIX_FORMS_CACHE_DIR) + "/lazarus-src-2.2.6";
    std::vector<std::pair<std::string, std::string>> jobs;
    for (const std::string& file : files) {
        const std::string binary = cache + "/" + file + ".fpcres";
        if (!fs::exists(binary)) {
            jobs.emplace_back((parlix::testing::kLazarusSources / file).string(), binary);
        }
    }
    if (!jobs.empty()) {
        ASSERT_TRUE(RunFpcres(jobs, cache));
    }

    Figures figures;
    std::vector<std::string> warnings;
    int mismatches = 0;
    for (const std::string& file : files) {
        const std::string path = (parlix::testing::kLazarusSources / file).string();
        try {
            const Form text = ReadFormFile(path);
            EXPECT_EQ(text.syntax, FormSyntax::Lazarus);
            for (const Fault& warning : text.warnings) {
                warnings.push_back(warning.Text());
            }
            bool childPosition = false;
            Count(text.root, figures, childPosition);
            figures.inheritedRoots += text.root.declaration == Declaration::Inherited ? 1 : 0;
            figures.filesWithChildPositions += childPosition ? 1 : 0;

            const Form binary = ReadForm(ResourceData(cache + "/" + file + ".fpcres"), file);
            EXPECT_EQ(binary.syntax, FormSyntax::Binary);
            if (Dump(binary) != Dump(text) && ++mismatches <= 3) {
                ADD_FAILURE() << file << ": the binary form reads otherwise\n"
                              << Dump(binary) << "\n----- text form:\n"
                              << Dump(text);
            }
        } catch (const FaultError& error) {
            ADD_FAILURE() << error.what();
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Figures of the real data: a reader that lost or doubled strings would miss them.
    EXPECT_EQ(figures.strings, 13272);
    EXPECT_EQ(figures.inheritedRoots, 48);
    EXPECT_EQ(figures.inlineFrames, 130);
    EXPECT_EQ(figures.filesWithChildPositions, 46);
    // The one file that is no valid UTF-8 (a Windows-1252 no-break space in a word list).
    EXPECT_THAT(
        warnings,
        ::testing::ElementsAre(
            (parlix::testing::kLazarusSources / "examples/SynEdit/SynAnyHighlighter/unit1.lfm")
                .string() +
            ":465: der Text ist kein gültiges UTF-8 und wurde als Windows-1252 gelesen"));
}

TEST(DelphiForms, HandWrittenFromLazarusFormsReadTheSameAsTextAndAsBinary) {
    REQUIRE_CORPUS();
    // Each Delphi form and the Lazarus form it was written from: non-ASCII letters as #nnnn
    // (Latin, Cyrillic, Chinese), a long text broken with +, child positions, an inherited
    // root, a collection, an inline frame.
    const std::pair<const char*, const char*> cases[] = {
        {"translation_main.dfm", "examples/translation/main.lfm"},
        {"dragimagelist_unit1.dfm", "examples/dragimagelist/unit1.lfm"},
        {"threaddlg.dfm", "debugger/threaddlg.lfm"},
        {"etmessageswnd.dfm", "ide/etmessageswnd.lfm"},
    };
    parlix::testing::TempDir dir;
    std::vector<std::pair<std::string, std::string>> jobs;
    for (const auto& [delphi, lazarus] : cases) {
        jobs.emplace_back(std::string(PARLIX_FORMS_DATA_DIR) + "/" + delphi,
                          dir.File(std::string(delphi) + ".fpcres"));
    }
    ASSERT_TRUE(RunFpcres(jobs, dir.Path().string()));
    for (const auto& [delphi, lazarus] : cases) {
        SCOPED_TRACE(delphi);
        const Form original = ReadFormFile((parlix::testing::kLazarusSources / lazarus).string());
        const Form text = ReadFormFile(std::string(PARLIX_FORMS_DATA_DIR) + "/" + delphi);
        EXPECT_EQ(text.syntax, FormSyntax::Delphi);
        EXPECT_EQ(Dump(text), Dump(original));
        const Form binary =
            ReadForm(ResourceData(dir.File(std::string(delphi) + ".fpcres")), delphi);
        EXPECT_EQ(Dump(binary), Dump(original));
    }
    // The binary Delphi form of the corpus, whose CR bytes all became LF on the way: refused,
    // at the first property name that the change broke.
    const std::string damaged =
        (parlix::testing::kLazarusSources / "examples/treeview/TV_Add_Remove_U1.dfm").string();
    try {
        ReadFormFile(damaged);
        ADD_FAILURE() << damaged << " was read";
    } catch (const FaultError& error) {
        EXPECT_EQ(error.GetFault().Text(), damaged + ": Byte 186: Name einer Eigenschaft erwartet");
    }
}

}  // namespace
}  // namespace parlix::forms
