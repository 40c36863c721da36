// The sources file of a project, "<project>_sources.ptf" beside its translation table: the
// review marks (see source_entries.h) as a table of two text columns, the row's key and the
// language 1 text its translation was made from (null for a draft). It is written with the
// translation table by every save and read when the project opens; the translation table and
// the project file stay as they are, so that every tool that reads them still can.
//
// A missing file means that nothing is known: every translated row counts as reviewed, and the
// first save writes the file. A damaged file is reported and treated as missing; it never
// stops a project from opening or its table from being saved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "review/source_entries.h"
#include "review/source_memory.h"
#include "table/errors.h"
#include "table/file_replacement.h"
#include "table/ptf_table.h"

namespace parlix::review {

// The project file's path without its extension, followed by "_sources.ptf".
std::string SourcesFileNameFor(std::string_view projectFileName);

// The entries of a sources file. `fault` tells why a file that exists could not be read; its
// entries are then empty.
struct SourcesFile {
    std::vector<SourceEntry> entries;
    std::optional<Fault> fault;
};
// The entries in the bytes of a sources file; `path` names it in the fault.
SourcesFile ParseSources(std::string_view bytes, const std::string& path);
// The file at `path`: no entries and no fault when there is none.
SourcesFile ReadSourcesFile(const std::string& path);

// Reads the sources file into the memory's marks for the translation table as it was just read
// (see ReadMarks). Returns the fault of a damaged file, which gives no marks.
std::optional<Fault> LoadMarks(const std::string& path, const PtfTable& translations,
                               SourceMemory& marks);

// Writes the entries of the memory's marks as the translation table is written (SavePtfFile:
// one replacement with `backups` numbered copies, nothing when the bytes are the same, and a
// failed backup decided by `writeDespiteBackupFailure`); the second column is titled with
// language 1's name. Throws EFCreateError when the file cannot be written, and the old file
// stays as it was.
Replacement SaveMarks(const std::string& path, PtfTable& translations, const SourceMemory& marks,
                      std::int32_t backups = 0,
                      const BackupFailureQuestion& writeDespiteBackupFailure = nullptr);

}  // namespace parlix::review
