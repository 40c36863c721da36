// The Portable Table Format: the text files in which Parlix keeps its tables.
//
//   /* Portable Table Format 1.0 */
//   porTables[porTables.length] = new Array(
//   "Key","Count",            <- column names
//   "a\\b \"c\"",3,           <- one line per record, every value followed by a comma
//   "",null,
//   2);                       <- the column count
//
// From the second line on the file is one JavaScript statement. Every line ends with CR LF.
// Values are matched to columns by position; text is kept byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/file_io.h"
#include "table/file_replacement.h"
#include "table/ptf_table.h"

namespace parlix {

// The lines of a table file: the names line and the first record, counted from 1.
inline constexpr int kPtfNamesLine = 3;
inline constexpr int kPtfFirstRecordLine = 4;

// Splits one line into entries "<tag>=<text>": s for a quoted string (escapes resolved),
// b for true/false, u for null, n for a number. Empties `tokens` first. Returns false when the
// line holds a backslash outside quotes or an unquoted word that is no literal or number; the
// tokens found before the fault stay in the list.
bool ParsePtfLine(std::string_view line, std::vector<std::string>& tokens);

// Replaces all records of `table` by those of the file content `bytes`, by position into the
// table's column definitions; text columns grow to fit (value length + 16). The titles of the
// names line become the table's FileColumnNames. Leaves the table closed; the caller opens it.
//
// Throws FaultError (without a file name; the line where there is one) when the content is no
// whole table file: fewer than 4 lines or no header, array opener or trailer (the table is
// untouched then), a trailer whose number is not the table's column count, a line that cannot
// be read (a stray backslash or word, a quoted value that does not end, characters after a
// closing quote), too many values, a value that does not convert, or a refused insert. After
// a fault found before the records are read the table keeps what it held; after one in a
// record it holds the records before that line. Either way it is closed.
void LoadPtf(std::string_view bytes, PtfTable& table);

// LoadPtf for the file at `path`: reads it whole (see ReadFileBuffer, so a file that is no
// regular file or larger than `maxBytes` is refused before reading) and names it in every
// fault. Throws EFOpenError, leaving the table untouched, when it cannot be read.
void LoadPtfFile(const std::string& path, PtfTable& table, std::uint64_t maxBytes = kAnySize);

// The file content for `table`, written with `quote` as the string delimiter. Opens the table
// if needed, stores a pending edit, and leaves the cursor past the last record.
std::string EncodePtfTable(PtfTable& table, char quote);

// Writes the whole table to `path` through FileReplacement: with `backups` numbered copies of
// the file it replaces, and nothing at all when the file holds these bytes already (the result
// says which). A failed backup is decided by `writeDespiteBackupFailure` as FileReplacement
// does. Throws EFCreateError when the file cannot be written; the old file then stays as it
// was. The table's FileColumnNames become the names written.
Replacement SavePtfFile(const std::string& path, char quote, PtfTable& table,
                        std::int32_t backups = 0,
                        const BackupFailureQuestion& writeDespiteBackupFailure = nullptr);

}  // namespace parlix
