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

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "table/ptf_table.h"

namespace parlix {

// Receives the texts the reader wants the user to see (the desktop program shows a message
// box, the command-line tool prints them).
using Notifier = std::function<void(const std::string& message)>;

// Splits one line into entries "<tag>=<text>": s for a quoted string (escapes resolved),
// b for true/false, u for null, n for a number. Empties `tokens` first. Returns false when the
// line holds a backslash outside quotes or an unquoted word that is no literal or number; the
// tokens found before the fault stay in the list.
bool ParsePtfLine(std::string_view line, std::vector<std::string>& tokens);

// Why a load failed, for callers that report more than the reader's message.
struct PtfLoadFault {
    int line = 0;  // 1-based line of the file, 0 when the fault concerns no single line
    std::string cause;
};

// Replaces all records of `table` by those of the file, by position into the table's column
// definitions; text columns grow to fit (value length + 16). Returns true on success. Returns
// false without a message when the file has fewer than 4 lines (the table is untouched), and
// after a format fault (the first two lines are not the format's header and array opener, the
// last is not the trailer, a line cannot be read), a value that does not convert, or a refused
// insert: then `notify`
// gets "Error by load PTF-File: <path>", `fault` (when given) says where and why, and the
// table holds the records read before the fault. In both of these cases the table is closed
// afterwards; the caller opens it. Throws EFOpenError when the file cannot be read (the table
// is untouched then).
bool LoadPtfFile(const std::string& path, PtfTable& table, const Notifier& notify,
                 PtfLoadFault* fault = nullptr);

// The file content for `table`, written with `quote` as the string delimiter. Opens the table
// if needed, stores a pending edit, and leaves the cursor past the last record.
std::string EncodePtfTable(PtfTable& table, char quote);

// Writes the whole table to `path` in one piece (see WriteFileAtomically) and returns true.
// Throws EFCreateError when the file cannot be written; the old file then stays as it was.
bool SavePtfFile(const std::string& path, char quote, PtfTable& table);

}  // namespace parlix
