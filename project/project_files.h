// The state of the open project and the layout of its two tables and files.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "table/ptf_table.h"

namespace parlix {

// The open project. Texts that live in a table (SourceFileName, UsesList, LanguageNames) are
// Windows-1252 bytes as stored; the two file names are native paths.
struct ProjectState {
    std::string ProjectFileName;
    std::string SourceFileName;  // stored trimmed; written only by Build
    std::int32_t BackupCount = 0;
    std::string UsesList;
    std::string TranslationsFileName;
    std::array<std::string, 3> LanguageNames;  // indexed 1 and 2; [0] is unused
    int BuildLanguage = 0;                     // 0: the unit defines no language
    bool TranslateMode = false;
};

// Fields of the project record, in this order.
namespace project_field {
inline constexpr const char* kSourceFile = "SourceFile";
inline constexpr const char* kLanguage1 = "Language1";
inline constexpr const char* kLanguage2 = "Language2";
inline constexpr const char* kBackups = "Backups";
inline constexpr const char* kUses = "Uses";
inline constexpr const char* kLastSave = "LastSave";
}  // namespace project_field

// Fields of the translation table, in this order. The two language fields are renamed after
// the project's languages; they are always columns 3 and 4.
namespace translation_field {
inline constexpr const char* kType = "Type";
inline constexpr const char* kProperty = "Property";
inline constexpr const char* kStringName = "StringName";
inline constexpr int kTypeColumn = 0;
inline constexpr int kPropertyColumn = 1;
inline constexpr int kStringNameColumn = 2;
// Column of language 1 or 2.
constexpr int LanguageColumn(int language) {
    return 2 + language;
}
}  // namespace translation_field

// The project record's definitions: SourceFile (128), Language1 and Language2 (32), Backups
// (integer), Uses (255), and the identity fields and LastSave (20 each).
void DefineProjectFields(PtfTable& project);

// The translation table's definitions: Type (32), Property (1024), StringName (32),
// Language1 and Language2 (1024).
void DefineTranslationFields(PtfTable& translations);

// The project file's path without its extension, followed by "_translations.ptf".
std::string TranslationsFileNameFor(std::string_view projectFileName);

// Sets the six identity fields (DataStandard .. ProgType) of the record being edited.
void SetIdentityFields(PtfTable& project);

// "yyyy-mm-dd hh:mm:ss" in local time.
std::string FormatLastSave(std::time_t when);

// Renames the definitions of the two language fields (columns 3 and 4). Takes effect on the
// table when it is next built.
void RenameLanguageFields(PtfTable& translations, const std::string& language1,
                          const std::string& language2);

// The settings read from the project record (its first record; the table must be open).
struct ProjectRecord {
    std::string SourceFile;
    std::string Language1;
    std::string Language2;
    std::int32_t Backups = 0;
    std::string Uses;
};
ProjectRecord ReadProjectRecord(PtfTable& project);

// A project file holds one record of some hundred bytes: a larger file is no project file and
// is refused before it is read.
inline constexpr std::uint64_t kMaxProjectFileBytes = std::uint64_t{1} << 20;

// Reads the project file at `path` into `project` (defined here) and returns its record; the
// table is left open. Throws EFOpenError when the file cannot be read or is refused (no
// regular file, larger than kMaxProjectFileBytes), and FaultError naming the file when it is
// damaged or holds no record.
ProjectRecord ReadProjectFile(const std::string& path, PtfTable& project);

// What opening a project takes from its record, as stored (not trimmed): ProjectState's
// SourceFileName, BackupCount, UsesList and LanguageNames, and the names of the translation
// table's language fields (they take effect when the table is next built).
void TakeProjectRecord(const ProjectRecord& record, ProjectState& state, PtfTable& translations);

// Makes `to` a copy of `from`: the same definitions (with the sizes `from` was built with) and
// the same records in `from`'s order. `to` is left closed; `from` is opened if it is closed.
// The open flow reads a project file into a scratch table and takes it over this way, so that
// a file that fails to load never touches the open project's record.
void CopyTable(PtfTable& from, PtfTable& to);

// The unit name for a source file name: the file name (the text after the last '\', '/' or
// drive colon) without its extension (the text from its last dot on). "uTexte.de.pas" gives
// "uTexte.de", "uTexte" gives "uTexte".
std::string UnitNameFor(std::string_view sourceFileName);

// The source unit as a native path: Windows-1252 turned into UTF-8, backslashes into slashes,
// and a relative name taken relative to the project file's folder, not the working folder.
std::string SourceFilePath(const ProjectState& state);

}  // namespace parlix
