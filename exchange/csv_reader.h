// Reading a CSV file's records: RFC 4180 in UTF-8, with or without a byte-order mark, a piece
// of the file at a time, so that memory does not grow with the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/readers.h"

namespace parlix::exchange::detail {

// The bytes read at a time.
inline constexpr std::size_t kCsvPiece = std::size_t{64} << 10;

struct Field {
    std::string text;  // UTF-8
    bool quoted = false;
    int line = 0;  // where it starts
};

// Reads a file's records one by one. A fault names its line. Every field loses the apostrophe
// that the export puts before a text that a spreadsheet would take for a formula.
class CsvReader {
  public:
    CsvReader(ReadMore read, char delimiter, std::uint64_t maxBytes);

    // The next record's fields into `fields` (whose strings keep their room); false at the
    // end of the file or at a fault. Blank lines are passed over.
    bool Next(std::vector<Field>& fields);

    int Line() const { return line_; }   // where the last record starts, or of the fault
    int Reading() const { return at_; }  // the line being read
    const std::string& Fault() const { return fault_; }
    // The fault concerns the file's bytes (its encoding or size), not its CSV structure.
    bool FaultInBytes() const { return faultInBytes_; }

  private:
    bool Read(std::vector<Field>& fields, std::size_t& count);
    bool Fail(int line, std::string message, bool inBytes = true);
    // Checks the start of the file once: UTF-16 is refused, UTF-8's byte-order mark skipped.
    bool Start();
    // Reads further bytes behind those not yet taken; false at the end of the file (or when
    // it is larger than allowed, with a fault).
    bool Fill();
    // The next byte without taking it; -1 at the end of the file.
    int Peek();
    void EndLine();
    bool Unquoted(Field& field);
    bool Quoted(Field& field);

    ReadMore read_;
    char delimiter_;
    std::uint64_t maxBytes_;
    std::string buffer_;
    std::size_t pos_ = 0;  // the next byte not taken
    std::size_t end_ = 0;  // behind the bytes read
    std::uint64_t total_ = 0;
    bool started_ = false;
    bool atEnd_ = false;
    int at_ = 1;    // the line of the next byte
    int line_ = 1;  // where the last record starts, or of the fault
    std::string fault_;
    bool faultInBytes_ = false;
};

}  // namespace parlix::exchange::detail
