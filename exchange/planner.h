// What the import readers share: matching a unit's text against its row and filling the plan.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/exchange.h"
#include "exchange/table_rows.h"

namespace parlix::exchange::detail {

// The target text a file offers for a unit.
struct OfferedText {
    bool isNull = false;  // no text, and the file says null
    std::string text;     // UTF-8 as the file holds it
    bool markup = false;  // inline markup the table cannot hold
    bool cut = false;     // the reader stopped keeping the text (far beyond any column)
    TargetMark mark = TargetMark::Finished;
    std::string markedAs;  // how the file marks a target that is not finished
    // A key column in which the unit differs from its row (UTF-8 name; CSV only): the unit
    // is refused.
    std::string differingColumn;
};

// The stamp of a target value for ImportChange::beforeStamp: null apart from every text.
std::uint64_t StampOf(bool isNull, std::string_view text);

// How an XLIFF unit marks its target: whether it has a <target> and text in it, the unit's
// approved and the target's state attribute (empty when missing). The one place that decides
// which targets an import takes; sets `offered.mark` and `offered.markedAs`.
void MarkTarget(OfferedText& offered, bool hasTarget, std::string_view approved,
                std::string_view state);

// The most bytes a reader keeps of one text; anything longer is refused as too long anyway.
inline constexpr std::size_t kTextKeptBytes = std::size_t{1} << 20;

class Planner {
  public:
    // Reads the table's rows (see TableRows) and prepares `plan` for them.
    Planner(ImportPlan& plan, PtfTable& table, bool controlPictures);

    const TableRows& Rows() const { return rows_; }

    // The file has this many units: the plan makes room for them at once, without the
    // copies of a growing list.
    void Expect(std::size_t units) { plan_.changes.reserve(units); }

    // A further section of the file (an XLIFF <file>) starts.
    void StartSection() { ++section_; }

    // Records a unit of the file: matched to `row`, or unknown for -1. A second unit for the
    // same row in the same section makes the plan fail (then returns false); in a later
    // section it replaces the earlier one.
    bool Add(int row, std::string key, int line, const OfferedText& offered);

    // The file cannot be imported: the first fault counts, and the lists are emptied.
    void Fail(int line, std::string message);
    // The same for a lack of memory, which the plan's own memory is given back for first.
    void FailOutOfMemory(int line);
    bool Failed() const { return plan_.fault.has_value(); }

    // Ends the plan: a file whose units all match no row belongs to another project.
    void Finish();

  private:
    // Files a matched unit whose text (in bytes_) the table can hold.
    void Record(int row, std::string key, int line, bool offeredNull);

    // Whether the row's target is these bytes already.
    bool RowHolds(int row, std::string_view bytes) const;

    // Takes out the units that a later section's unit replaced.
    void DropReplaced();

    struct Seen {
        int line = 0;  // of the unit matched to the row; 0 for none
        int section = 0;
    };

    ImportPlan& plan_;
    TableRows rows_;
    std::vector<Seen> seen_;           // by row
    std::vector<int> unknownSection_;  // by unit of plan_.unknown
    int section_ = 0;
    bool replaced_ = false;  // a unit replaced an earlier one
    std::size_t limit_;      // bytes of the target column
    bool controlPictures_;
    std::string bytes_;  // the text of the unit being added, in Windows-1252
};

}  // namespace parlix::exchange::detail
