// The two import readers; each fills a plan through a Planner.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchange.h"
#include "exchange/planner.h"

namespace parlix::exchange::detail {

// Fills `buffer` with up to `size` further bytes of the file; returns how many, 0 at its end.
using ReadMore = std::function<std::size_t(char* buffer, std::size_t size)>;
// Starts reading the file from its beginning, again on each call.
using OpenFile = std::function<ReadMore()>;

// Reads an XLIFF 1.x file piece by piece and plans it, matching units by id.
void ReadXliff(const ReadMore& read, Planner& planner, const ImportOptions& options);

// Reads a CSV file, twice and piece by piece, and plans it, matching records by StringName or
// Property. The header row must name `columns` (the table's column names, Windows-1252).
void ReadCsv(const OpenFile& open, Planner& planner, const std::vector<std::string>& columns,
             const ImportOptions& options);

// "1,5 MB" style sizes for messages.
std::string Megabytes(std::uint64_t bytes);

// Why a file could not be read when memory ran out.
inline constexpr const char* kOutOfMemory = "nicht genug Arbeitsspeicher, um die Datei zu lesen";

}  // namespace parlix::exchange::detail
