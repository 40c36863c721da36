// parlix-build given hostile or unlucky files and disks, as a probe of the tool found them:
// nothing may be lost, nothing may hang, and every refusal names the file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli/run_tool.h"
#include "generator/build_test_support.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ChildLimits;
using testing::ChildReport;
using testing::ReadBytes;
using testing::RunInChild;
using testing::WriteBytes;

// The regular files of a folder with their bytes and times; a FIFO or device by its kind only
// (reading it would wait or never end).
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        std::string state = "<special>";
        if (S_ISREG(info.st_mode) && info.st_size < (1 << 20)) {
            state = ReadBytes(entry.path().string()) + "@" + std::to_string(info.st_mtim.tv_sec) +
                    "." + std::to_string(info.st_mtim.tv_nsec);
        } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
            state = std::to_string(info.st_size) + " bytes";
        }
        files[entry.path().filename().string()] = state;
    }
    return files;
}

// The worked example as project Demo in `folder`, its unit written once (so that it has
// backups to lose).
void WriteDemo(const fs::path& folder) {
    testing::WriteProjectFiles((folder / "Demo.ppr").string(), testing::ProjectSettings{},
                               testing::WorkedExampleRows());
    WriteBytes((folder / "uTexte.pas").string(), "old unit");
    WriteBytes((folder / "uTexte.pas.bak1").string(), "older unit");
}

// Replaces `what` in the file at `path` by `by`.
void Edit(const fs::path& path, const std::string& what, const std::string& by) {
    std::string bytes = ReadBytes(path.string());
    bytes.replace(bytes.find(what), what.size(), by);
    WriteBytes(path.string(), bytes);
}

// Files that are no table, tables a lost quote or another program damaged, and targets that
// are the project's own files: each is refused at once with exit status 1 and a message that
// names the file, and no file changes.
TEST(HostileFiles, AreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& folder)> damage;
        std::vector<std::string> args;  // "@" stands for the folder
        std::string error;              // a part of the message
        rlim_t addressSpace = 0;        // a limit on the memory the tool may take
    };
    const Case cases[] = {
        {"a FIFO as project file",
         [](const fs::path& d) {
             fs::remove(d / "Demo.ppr");
             ::mkfifo((d / "Demo.ppr").c_str(), 0600);
         },
         {"@/Demo.ppr"},
         "Datei @/Demo.ppr kann nicht geöffnet werden. Das ist keine gewöhnliche Datei"},
        {"a FIFO as translation table",
         [](const fs::path& d) {
             fs::remove(d / "Demo_translations.ptf");
             ::mkfifo((d / "Demo_translations.ptf").c_str(), 0600);
         },
         {"@/Demo.ppr"},
         "Datei @/Demo_translations.ptf kann nicht geöffnet werden. Das ist keine gewöhnliche"},
        {"a FIFO to import",
         [](const fs::path& d) { ::mkfifo((d / "in.xlf").c_str(), 0600); },
         {"--import", "@/in.xlf", "@/Demo.ppr"},
         "Datei @/in.xlf kann nicht geöffnet werden. Das ist keine gewöhnliche Datei"},
        {"a FIFO as form",
         [](const fs::path& d) { ::mkfifo((d / "uFifo.lfm").c_str(), 0600); },
         {"--sync-forms", "--forms", "@/uFifo.lfm", "@/Demo.ppr"},
         "@/uFifo.lfm: die Datei kann nicht gelesen werden: Das ist keine gewöhnliche Datei"},
        {"an endless device as translation table",
         [](const fs::path& d) {
             fs::remove(d / "Demo_translations.ptf");
             fs::create_symlink("/dev/zero", d / "Demo_translations.ptf");
         },
         {"@/Demo.ppr"},
         "Datei @/Demo_translations.ptf kann nicht geöffnet werden. Das ist keine gewöhnliche",
         512 << 20},
        {"a project file of 2 GB",
         [](const fs::path& d) { fs::resize_file(d / "Demo.ppr", std::uintmax_t{2} << 30); },
         {"@/Demo.ppr"},
         "Datei @/Demo.ppr kann nicht geöffnet werden. Die Datei ist größer als 1 MB.",
         512 << 20},
        {"a translation table larger than the memory",
         [](const fs::path& d) {
             fs::resize_file(d / "Demo_translations.ptf", std::uintmax_t{1} << 30);
         },
         {"@/Demo.ppr"},
         "Datei @/Demo_translations.ptf kann nicht geöffnet werden. nicht genug Arbeitsspeicher",
         512 << 20},
        {"a record whose quote was lost",
         [](const fs::path& d) {
             Edit(d / "Demo_translations.ptf", "\"Adressbuch\",", "\"Adressbuch,");
         },
         {"@/Demo.ppr"},
         "Demo_translations.ptf:4: Zeichen zwischen einem schließenden Anführungszeichen"},
        {"a record that ends inside a quoted value",
         [](const fs::path& d) {
             Edit(d / "Demo_translations.ptf", "\"Not found\",", "\"Not found,");
         },
         {"@/Demo.ppr"},
         "Demo_translations.ptf:6: ein Wert in Anführungszeichen endet nicht"},
        {"a trailer that counts other columns",
         [](const fs::path& d) { Edit(d / "Demo_translations.ptf", "\n5);", "\n4);"); },
         {"@/Demo.ppr"},
         "Demo_translations.ptf:7: die letzte Zeile nennt 4 Spalten, die Tabelle hat 5"},
        {"the project file as output",
         nullptr,
         {"--output", "@/Demo.ppr", "@/Demo.ppr"},
         "Datei \"@/Demo.ppr\" kann nicht erstellt werden. Die Datei gehört zum Projekt"},
        {"the translation table as output",
         nullptr,
         {"--output", "@/./Demo_translations.ptf", "@/Demo.ppr"},
         "Datei \"@/./Demo_translations.ptf\" kann nicht erstellt werden. Die Datei gehört"},
        {"a source unit that names the project's table",
         [](const fs::path& d) {
             testing::WriteProjectFiles(
                 (d / "Demo.ppr").string(),
                 testing::ProjectSettings{.sourceFile = "Demo_translations.ptf"},
                 testing::WorkedExampleRows());
         },
         {"@/Demo.ppr"},
         "Datei \"@/Demo_translations.ptf\" kann nicht erstellt werden. Die Datei gehört"},
    };
    for (const Case& c : cases) {
        if (c.addressSpace != 0 && testing::kAddressSanitizer) {
            continue;  // the same command's build without the sanitizer runs these cases
        }
        SCOPED_TRACE(c.what);
        const auto setup = [&](const fs::path& folder) {
            WriteDemo(folder);
            if (c.damage) {
                c.damage(folder);
            }
        };
        const std::string report =
            RunInChild({}, setup, [&](const fs::path& folder, ChildReport& check) {
                auto resolve = [&](std::string text) {
                    for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
                        text.replace(at, 1, folder.string());
                    }
                    return text;
                };
                std::vector<std::string> args;
                for (const std::string& arg : c.args) {
                    args.push_back(resolve(arg));
                }
                if (c.addressSpace != 0) {
                    const rlimit limit{c.addressSpace, c.addressSpace};
                    ::setrlimit(RLIMIT_AS, &limit);
                }
                const auto before = Snapshot(folder);
                const testing::ToolResult result = testing::RunTool(args);
                check.Expect(result.status == build_tool::kFailure,
                             "exit status " + std::to_string(result.status));
                const std::size_t failure = result.err.find("parlix-build: ");
                check.Expect(failure != std::string::npos &&
                                 result.err.find(resolve(c.error), failure) != std::string::npos,
                             result.err);
                check.Expect(Snapshot(folder) == before, "a file changed");
            });
        EXPECT_EQ(report, "");
    }
}

// Writes that cannot happen, and writes of bytes the file holds already, keep every backup:
// an import into a read-only table (as an unprivileged user, since root may write it), a
// build on a disk too full for the copy of backup 1, and a build of the same unit again,
// which leaves the unit and its time alone.
TEST(HostileFiles, WritesThatCannotOrNeedNotHappenKeepEveryBackup) {
    struct Case {
        const char* what;
        ChildLimits limits;
        std::function<void(const fs::path& folder)> prepare;
        std::vector<std::string> args;
        int status;
        std::map<std::string, std::string> after;  // the files of the case and their bytes
        std::string error = {};                    // a part of the message
    };
    const std::string large(100 << 10, 'u');
    const Case cases[] = {
        {"an import into a read-only table",
         {.unprivileged = true},
         [](const fs::path& d) {
             WriteBytes((d / "in.csv").string(),
                        "Type,Property,StringName,Deutsch,English\r\nForm,frmAddress.Caption,"
                        "sTitle,Adressbuch,Addresses\r\n");
             WriteBytes((d / "Demo_translations.ptf.bak1").string(), "older table");
             ::chmod((d / "Demo_translations.ptf").c_str(), 0444);
         },
         {"--import", "@/in.csv", "@/Demo.ppr"},
         build_tool::kFailure,
         {{"Demo_translations.ptf.bak1", "older table"}},
         "Permission denied"},
        {"a build on a disk too full for the copy of backup 1",
         {.diskBytes = 192 << 10},
         [&](const fs::path& d) { WriteBytes((d / "uTexte.pas.bak1").string(), large); },
         {"@/Demo.ppr"},
         build_tool::kFailure,
         {{"uTexte.pas", "old unit"}, {"uTexte.pas.bak1", large}},
         "Fehler beim Erstellen der Backup-Dateien - Unit nicht geschrieben"},
        {"a build of the same unit again",
         {},
         [](const fs::path& d) {
             std::ostringstream out;
             std::ostringstream err;
             build_tool::run({(d / "Demo.ppr").string()}, out, err);
         },
         {"@/Demo.ppr"},
         build_tool::kSuccess,
         {{"uTexte.pas.bak1", "old unit"}, {"uTexte.pas.bak2", "older unit"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto setup = [&](const fs::path& folder) {
            WriteDemo(folder);
            c.prepare(folder);
        };
        const std::string report =
            RunInChild(c.limits, setup, [&](const fs::path& folder, ChildReport& check) {
                std::vector<std::string> args;
                for (std::string arg : c.args) {
                    if (arg[0] == '@') {
                        arg = folder.string() + arg.substr(1);
                    }
                    args.push_back(arg);
                }
                const auto before = Snapshot(folder);
                const testing::ToolResult result = testing::RunTool(args);
                check.Expect(result.status == c.status,
                             "exit status " + std::to_string(result.status) + ": " + result.err);
                check.Expect(result.err.find(c.error) != std::string::npos, result.err);
                for (const auto& [name, bytes] : c.after) {
                    check.Expect(ReadBytes((folder / name).string()) == bytes, name + " changed");
                }
                // Nothing else changed: no backup moved, no file was touched.
                auto now = Snapshot(folder);
                check.Expect(now == before, "files changed");
            });
        EXPECT_EQ(report, "");
    }
}

}  // namespace
}  // namespace parlix
