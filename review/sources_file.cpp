#include "review/sources_file.h"

#include "project/project_files.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "table/ptf_format.h"

namespace parlix::review {

namespace {

constexpr char kQuote = '"';
constexpr const char* kKeyField = "Key";
// Sizes only bound what a value may hold; a table read from a file may hold longer texts than
// its columns' sizes (a reader widens them), and a key is a Property with "#" and a number.
constexpr int kKeySize = 1 << 20;
constexpr int kSourceSize = 1 << 20;

void DefineSourcesFields(PtfTable& sources, const std::string& language1) {
    sources.FieldDefs().Clear();
    sources.FieldDefs().Add(kKeyField, FieldType::ftString, kKeySize);
    sources.FieldDefs().Add(language1.empty() ? "Language1" : language1, FieldType::ftString,
                            kSourceSize);
}

}  // namespace

std::string SourcesFileNameFor(std::string_view projectFileName) {
    return std::string(RemoveFileExtension(projectFileName)) + "_sources.ptf";
}

SourcesFile ParseSources(std::string_view bytes, const std::string& path) {
    SourcesFile file;
    PtfTable sources;
    DefineSourcesFields(sources, "Language1");
    try {
        LoadPtf(bytes, sources);
    } catch (const FaultError& error) {
        file.fault = error.GetFault();
        file.fault->file = path;
        return file;
    }
    sources.Open();
    file.entries.reserve(static_cast<std::size_t>(sources.RecordCount()));
    for (int row = 0; row < sources.RecordCount(); ++row) {
        SourceEntry entry{sources.TextAt(row, 0), std::nullopt};
        if (!sources.IsNullAt(row, 1)) {
            entry.source = sources.TextAt(row, 1);
        }
        file.entries.push_back(std::move(entry));
    }
    return file;
}

SourcesFile ReadSourcesFile(const std::string& path) {
    if (!FileExists(path)) {
        return {};
    }
    try {
        const FileBuffer bytes = ReadFileBuffer(path);
        return ParseSources(bytes.View(), path);
    } catch (const EFOpenError& error) {
        return {{}, error.GetFault()};
    }
}

std::optional<Fault> LoadMarks(const std::string& path, const PtfTable& translations,
                               SourceMemory& marks) {
    const SourcesFile file = ReadSourcesFile(path);
    ReadMarks(translations, marks, file.entries);
    return file.fault;
}

Replacement SaveMarks(const std::string& path, PtfTable& translations, const SourceMemory& marks,
                      std::int32_t backups,
                      const BackupFailureQuestion& writeDespiteBackupFailure) {
    translations.Open();
    PtfTable sources;
    DefineSourcesFields(sources,
                        translations.Field(translation_field::LanguageColumn(1)).FieldName());
    sources.CreateTable();
    for (const SourceEntry& entry : MarkEntries(translations, marks)) {
        sources.Append();
        sources.Field(0).SetAsString(entry.key);
        if (entry.source) {
            sources.Field(1).SetAsString(*entry.source);
        }
        sources.Post();
    }
    return SavePtfFile(path, kQuote, sources, backups, writeDespiteBackupFailure);
}

}  // namespace parlix::review
