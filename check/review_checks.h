// The checks that look past a record's own texts: a translation that needs review (its
// language 1 text changed since, or it was taken over as a draft), and a language 1 text that
// an earlier record translates in another way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/table_checks.h"
#include "review/source_memory.h"
#include "table/page_memory.h"

namespace parlix::check {

class ReviewChecks {
  public:
    // `marks` may be null: then nothing needs review. `rows`: the records to expect.
    ReviewChecks(const PtfTable& table, const review::SourceMemory* marks, std::size_t rows);

    // A record's texts as consistency compares them, reduced to hashes. Made while a block of
    // records is read, so that the lookups of the block overlap their waits for memory.
    struct Texts {
        std::uint64_t source = 0;  // 0: nothing to compare (no text in either language)
        std::uint32_t translation = 0;
    };
    Texts Prepare(std::string_view trimmedSource, std::string_view trimmedTranslation);

    // Checks a record; called for the records in the table's order, after the record's other
    // checks (its findings here come last). `source` is its language 1 text as stored.
    void Check(int row, const std::string& source, const Texts& texts,
               std::vector<Finding>& findings);

    // The translations of the earlier records that the findings of texts translated otherwise
    // name (see CheckResult::translations), read once each and in the order of their records.
    std::vector<std::pair<int, std::string>> EarlierTranslations() const;

    // Records that need review.
    int ToReview() const { return toReview_; }

  private:
    // The first record with a translation of each language 1 text, by the text's hash (64
    // bits: among a million texts two share one once in tens of millions of tables).
    struct Slot {
        std::uint64_t source;  // 0: empty
        std::uint32_t translation;
        int row;
    };
    Slot& Find(std::uint64_t source);

    const PtfTable& table_;
    const review::SourceMemory* marks_;
    int toReview_ = 0;
    // Open addressing over a power of two, at most half full; zero is an empty slot.
    detail::PageMemory memory_;
    Slot* slots_;
    std::size_t mask_;
    // The earlier records that findings of texts translated otherwise name.
    std::vector<int> earlier_;
    std::string scratch_;
};

}  // namespace parlix::check
