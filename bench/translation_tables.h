// Deterministic, realistic translation tables for the benchmarks: five text columns, one to
// three dotted property paths, texts of 5 to 120 bytes with occasional commas, quotes,
// backslashes and non-ASCII bytes; about 150 bytes a record in the table file.
#pragma once

#include <cstdint>
#include <string>

#include "table/ptf_table.h"

namespace parlix::bench {

// Appends `records` generated records to the open translation table (fields as defined by
// DefineTranslationFields). The same seed gives the same records.
void FillTranslationTable(PtfTable& table, int records, std::uint32_t seed = 1);

// A translation table file of `records` records, generated once per size and process, in a
// temporary folder that is removed when the process ends. Returns its path.
const std::string& TranslationFile(int records);

// Changes the first byte of a file, so that writing the same bytes again is a whole write
// (a write of a file's own bytes writes nothing), as after a change of the table.
void MakeDiffer(const std::string& path);

// Size of a file in bytes.
std::int64_t FileSize(const std::string& path);

// Peak resident memory of this process (VmHWM) in bytes, and a reset of that peak to the
// current use, so that the peak of one step can be measured.
std::int64_t PeakResidentBytes();
void ResetPeakResident();
std::int64_t CurrentResidentBytes();

}  // namespace parlix::bench
