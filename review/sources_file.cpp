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

SourcesFile ReadSourcesFile(const std::string& path) {
    SourcesFile file;
    if (!FileExists(path)) {
        return file;
    }
    PtfTable sources;
    DefineSourcesFields(sources, "Language1");
    PtfLoadFault fault;
    bool loaded = false;
    try {
        loaded = LoadPtfFile(path, sources, Notifier{}, &fault);
    } catch (const PtfError& error) {
        file.fault = error.what();
        return file;
    }
    if (!loaded) {
        // A file of fewer than four lines is no table file at all.
        file.fault = path + (fault.line > 0 ? ":" + std::to_string(fault.line) : std::string()) +
                     ": " + (fault.cause.empty() ? "keine Tabellendatei" : fault.cause);
        return file;
    }
    sources.Open();
    if (sources.FieldCount() != 2) {
        file.fault = path + ": " + std::to_string(sources.FieldCount()) +
                     " Spalten statt 2 (Schlüssel und Text)";
        return file;
    }
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

std::string LoadMarks(const std::string& path, const PtfTable& translations, SourceMemory& marks) {
    const SourcesFile file = ReadSourcesFile(path);
    ReadMarks(translations, marks, file.entries);
    return file.fault;
}

void SaveMarks(const std::string& path, PtfTable& translations, const SourceMemory& marks) {
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
    SavePtfFile(path, kQuote, sources);
}

}  // namespace parlix::review
