#include "check/table_checks.h"

#include <algorithm>
#include <string_view>

#include "check/compiler_symbols.h"
#include "check/first_seen.h"
#include "check/form_checks.h"
#include "check/pascal_names.h"
#include "check/review_checks.h"
#include "check/text_marks.h"
#include "check/unit_checks.h"
#include "project/project_files.h"
#include "table/text.h"

namespace parlix::check {

namespace {

constexpr std::string_view kProcedureKey = "parlixtranslate";
// Records read and parsed ahead of their checks, so that the lookups of their names and
// paths in the (large) tables of first occurrences overlap their waits for memory.
constexpr int kBlockSize = 64;

constexpr int kPropertyColumn = translation_field::kPropertyColumn;
constexpr int kStringNameColumn = translation_field::kStringNameColumn;

bool SameAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

std::string Joined(const std::vector<std::string_view>& words) {
    std::string text;
    for (const std::string_view word : words) {
        if (!text.empty()) {
            text.push_back(' ');
        }
        text.append(word);
    }
    return text;
}

// A property piece, parsed.
struct Piece {
    std::string_view text;  // trimmed, in its record's property text
    PropertyPath path;
    std::size_t keyOffset;  // the path's key in the block's keys (valid paths)
    std::size_t keyLength;
    std::uint64_t hash;
};

// A record, read and parsed.
struct Record {
    std::string property;
    std::string name;
    std::string text[2];
    std::string_view trimmed[2];
    bool hasAmpersand[2] = {false, false};  // in the trimmed text
    std::string_view trimmedName;
    NameFault nameFault = NameFault::Empty;
    std::size_t nameKeyOffset = 0;  // the lower-case name in the block's keys (valid names)
    std::uint64_t nameHash = 0;
    ReviewChecks::Texts compared;
    std::size_t firstPiece = 0;  // its pieces in the block's pieces
    std::size_t pieceCount = 0;
};

// One walk over the table; the tables of first occurrences remember the first record of
// every name, path and accelerator seen so far.
class TableCheck {
  public:
    // A path whose first word is the unit's name, or the first part of a dotted one, names
    // something in the unit (Free Pascal reads "uTexte.Caption" in unit uTexte.de so).
    TableCheck(PtfTable& table, const UnitContext& unit, const review::SourceMemory* marks)
        : table_(table),
          unit_(unit),
          review_(table, marks, static_cast<std::size_t>(table.RowCount())) {
        AppendLowerAscii(unitKey_,
                         std::string_view(unit.unitName).substr(0, unit.unitName.find('.')));
    }

    CheckResult Run() {
        CheckUnitSettings(unit_, result_.findings);
        CheckLanguageNames();
        CheckColumnTitles();
        const int rows = table_.RowCount();
        result_.records = rows;
        const auto expected = static_cast<std::size_t>(rows);
        names_.Reserve(expected, expected * 16);
        paths_.Reserve(expected * 2, expected * 64);
        // Even a table with a finding in every record fills this without a copy; the pages
        // that stay empty are never touched.
        result_.findings.reserve(expected * 2);
        for (int start = 0; start < rows; start += kBlockSize) {
            const int count = std::min(kBlockSize, rows - start);
            keys_.clear();
            pieces_.clear();
            for (int i = 0; i < count; ++i) {
                Read(start + i, block_[i]);
            }
            for (int i = 0; i < count; ++i) {
                const std::size_t first = result_.findings.size();
                CheckRecord(start + i, block_[i]);
                SortByPlace(first);
            }
        }
        result_.translations = review_.EarlierTranslations();
        CheckHiddenPaths();
        result_.toReview = review_.ToReview();
        if (unit_.forms != nullptr && unit_.forms->Found()) {
            const std::size_t before = result_.findings.size();
            CheckAgainstForms(table_, *unit_.forms, result_.findings);
            std::inplace_merge(result_.findings.begin(),
                               result_.findings.begin() + static_cast<std::ptrdiff_t>(before),
                               result_.findings.end(), ByPlace);
        }
        for (const Finding& finding : result_.findings) {
            ++(finding.severity == Severity::Error ? result_.errors : result_.warnings);
        }
        return std::move(result_);
    }

  private:
    static bool ByPlace(const Finding& a, const Finding& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    }

    // Orders a record's findings, from `first` on, by column, keeping the order of those of
    // one column: the few findings of a record, most often in order already, are moved into
    // place one by one, which takes no memory as a stable sort would for every record.
    void SortByPlace(std::size_t first) {
        std::vector<Finding>& findings = result_.findings;
        for (std::size_t i = first + 1; i < findings.size(); ++i) {
            for (std::size_t k = i; k > first && ByPlace(findings[k], findings[k - 1]); --k) {
                std::swap(findings[k], findings[k - 1]);
            }
        }
    }

    void Add(Severity severity, Rule rule, int row, int column, int otherRow = -1,
             std::string_view subject = {}, std::string_view detail = {}) {
        result_.findings.push_back(Finding{severity, rule, row, column, otherRow,
                                           std::string(subject), std::string(detail)});
    }

    std::string_view Key(std::size_t offset, std::size_t length) const {
        return std::string_view(keys_).substr(offset, length);
    }

    void CheckLanguageNames() {
        std::array<std::string, 2>& names = result_.languages;
        for (int k = 0; k < 2; ++k) {
            const int column = translation_field::LanguageColumn(k + 1);
            std::string& name = names[static_cast<std::size_t>(k)];
            name = table_.Field(column).FieldName();
            if (CheckConditionalSymbol(name) != NameFault::None) {
                Add(Severity::Error, Rule::InvalidLanguageName, -1, column, -1, name);
            } else if (IsCompilerSymbol(name)) {
                Add(Severity::Error, Rule::CompilerLanguageName, -1, column, -1, name);
            }
        }
        if (CheckConditionalSymbol(names[0]) == NameFault::None && SameAscii(names[0], names[1])) {
            Add(Severity::Error, Rule::SameLanguageNames, -1, translation_field::LanguageColumn(2),
                -1, names[1]);
        }
    }

    // The file's titles are its columns' names: others mean the values under them were
    // meant for other columns (a table of another project, languages swapped).
    void CheckColumnTitles() {
        const std::optional<std::vector<std::string>>& titles = table_.FileColumnNames();
        if (!titles) {
            return;
        }
        for (int column = 0; column < table_.FieldCount(); ++column) {
            const std::string& name = table_.Field(column).FieldName();
            const auto k = static_cast<std::size_t>(column);
            const std::string_view title = k < titles->size() ? (*titles)[k] : std::string_view();
            if (title != name) {
                Add(Severity::Error, Rule::ColumnTitle, -1, column, -1, title, name);
            }
        }
    }

    // Reads and parses a record, and has the slots of its name and paths fetched.
    void Read(int row, Record& record) {
        record.property = table_.TextAt(row, kPropertyColumn);
        record.name = table_.TextAt(row, kStringNameColumn);
        for (int k = 0; k < 2; ++k) {
            record.text[k] = table_.TextAt(row, translation_field::LanguageColumn(k + 1));
            record.trimmed[k] = TrimView(record.text[k]);
            record.hasAmpersand[k] = record.trimmed[k].find('&') != std::string_view::npos;
            if (!record.trimmed[k].empty()) {
                ++result_.translated[static_cast<std::size_t>(k)];
            }
        }
        record.compared = review_.Prepare(record.trimmed[0], record.trimmed[1]);
        record.trimmedName = TrimView(record.name);
        record.nameFault = CheckIdentifier(record.trimmedName);
        if (record.nameFault == NameFault::None) {
            record.nameKeyOffset = keys_.size();
            AppendLowerAscii(keys_, record.trimmedName);
            record.nameHash = FirstSeen::Hash(Key(record.nameKeyOffset, record.trimmedName.size()));
            names_.Prefetch(record.nameHash);
        }
        split_.clear();
        SplitAtChar(TrimView(record.property), split_, ',');
        record.firstPiece = pieces_.size();
        for (const std::string_view untrimmed : split_) {
            const std::string_view text = TrimView(untrimmed);
            if (text.empty()) {
                continue;
            }
            Piece& piece = pieces_.emplace_back(Piece{text, {}, keys_.size(), 0, 0});
            piece.path = ParsePropertyPath(text, &keys_);
            piece.keyLength = keys_.size() - piece.keyOffset;
            if (piece.path.fault == NameFault::None) {
                piece.hash = FirstSeen::Hash(Key(piece.keyOffset, piece.keyLength));
                paths_.Prefetch(piece.hash);
            }
        }
        record.pieceCount = pieces_.size() - record.firstPiece;
    }

    void CheckRecord(int row, const Record& record) {
        conflictReported_[0] = conflictReported_[1] = false;
        if (!record.trimmedName.empty()) {
            CheckConstantName(row, record);
        }
        for (std::size_t i = 0; i < record.pieceCount; ++i) {
            CheckPiece(row, record, pieces_[record.firstPiece + i]);
        }
        CheckTexts(row, record);
        if (record.trimmedName.empty() && record.pieceCount == 0 &&
            (!record.trimmed[0].empty() || !record.trimmed[1].empty())) {
            Add(Severity::Warning, Rule::NothingGenerated, row, kPropertyColumn);
        }
        review_.Check(row, record.text[0], record.compared, result_.findings);
    }

    void CheckConstantName(int row, const Record& record) {
        const std::string_view name = record.trimmedName;
        switch (record.nameFault) {
            case NameFault::None:
                break;
            case NameFault::Reserved:
                Add(Severity::Error, Rule::ReservedConstantName, row, kStringNameColumn, -1, name);
                return;
            case NameFault::TooLong:
                Add(Severity::Error, Rule::ConstantNameTooLong, row, kStringNameColumn, -1, name);
                return;
            case NameFault::Empty:
            case NameFault::Malformed:
                Add(Severity::Error, Rule::InvalidConstantName, row, kStringNameColumn, -1, name);
                return;
        }
        const std::string_view key = Key(record.nameKeyOffset, name.size());
        if (key == kProcedureKey) {
            Add(Severity::Error, Rule::ProcedureName, row, kStringNameColumn, -1, name);
            return;
        }
        bool isNew = false;
        const FirstSeen::Entry first = names_.Add(key, record.nameHash, row, 0, isNew);
        if (!isNew) {
            Add(Severity::Error, Rule::DuplicateConstantName, row, kStringNameColumn, first.row,
                name);
        }
    }

    void CheckPiece(int row, const Record& record, const Piece& piece) {
        if (piece.path.fault != NameFault::None) {
            Add(Severity::Error, Rule::InvalidPropertyPath, row, kPropertyColumn, -1, piece.text,
                piece.path.word);
            return;
        }
        const std::string_view key = Key(piece.keyOffset, piece.keyLength);
        const std::string_view form = key.substr(0, piece.path.first.size());
        if (form == kProcedureKey || (!unitKey_.empty() && form == unitKey_)) {
            Add(Severity::Error, Rule::HiddenPropertyPath, row, kPropertyColumn, -1, piece.text,
                piece.path.first);
        }
        bool isNew = false;
        forms_.Add(form, row, 0, isNew);
        const FirstSeen::Entry first = paths_.Add(key, piece.hash, row, 0, isNew);
        if (!isNew && first.row != row) {
            Add(Severity::Warning, Rule::DuplicatePropertyPath, row, kPropertyColumn, first.row,
                piece.text);
        }
        for (int k = 0; k < 2; ++k) {
            if (record.hasAmpersand[k]) {
                CheckAccelerator(row, k, record.trimmed[k], form, piece.path.first, first.number);
            }
        }
    }

    // Two captions of one form should not mark the same letter: the second cannot be reached.
    // Pieces of one record share the text, and one path given twice is a finding of its own.
    void CheckAccelerator(int row, int language, std::string_view text, std::string_view formKey,
                          std::string_view form, int pathNumber) {
        if (conflictReported_[language]) {
            return;
        }
        const Accelerators marks = FindAccelerators(text);
        if (marks.letter == '\0') {
            return;
        }
        accelerator_.assign(1, static_cast<char>('1' + language));
        accelerator_.push_back(marks.letter);
        accelerator_.append(formKey);
        bool isNew = false;
        const FirstSeen::Entry first = accelerators_.Add(accelerator_, row, pathNumber, isNew);
        if (!isNew && first.row != row && first.extra != pathNumber) {
            conflictReported_[language] = true;
            Add(Severity::Warning, Rule::AcceleratorConflict, row,
                translation_field::LanguageColumn(language + 1), first.row,
                std::string_view(&marks.letter, 1), form);
        }
    }

    void CheckTexts(int row, const Record& record) {
        const std::string_view one = record.trimmed[0];
        const std::string_view two = record.trimmed[1];
        if (one.empty() != two.empty()) {
            Add(Severity::Warning, Rule::Untranslated, row,
                translation_field::LanguageColumn(one.empty() ? 1 : 2));
            return;
        }
        if (one.empty()) {
            return;
        }
        const int second = translation_field::LanguageColumn(2);
        if (one == two && HasLetter(one)) {
            Add(Severity::Warning, Rule::NotTranslated, row, second);
        }
        if (one.find('%') != std::string_view::npos || two.find('%') != std::string_view::npos) {
            const FormatPlaceholders a = ParseFormatPlaceholders(one);
            const FormatPlaceholders b = ParseFormatPlaceholders(two);
            if (a.arguments != b.arguments) {
                Add(Severity::Warning, Rule::PlaceholdersDiffer, row, second, -1, Joined(a.written),
                    Joined(b.written));
            }
        }
        if (record.hasAmpersand[0] || record.hasAmpersand[1]) {
            const int a = FindAccelerators(one).count;
            const int b = FindAccelerators(two).count;
            if (a != b) {
                Add(Severity::Warning, Rule::AcceleratorCount, row, second, -1, std::to_string(a),
                    std::to_string(b));
            }
        }
        const std::string& rawOne = record.text[0];
        const std::string& rawTwo = record.text[1];
        if (one.size() != rawOne.size() || two.size() != rawTwo.size()) {
            const bool same = LeadingBlanks(rawOne) == LeadingBlanks(rawTwo) &&
                              TrailingBlanks(rawOne) == TrailingBlanks(rawTwo);
            if (!same) {
                Add(Severity::Warning, Rule::EdgeBlanksDiffer, row,
                    one.size() != rawOne.size() ? translation_field::LanguageColumn(1) : second);
            }
        }
    }

    // A path that starts with a constant of the unit assigns to the constant, or to a member
    // of it. Once all constant names are known, another walk reports every such piece; it
    // happens only when a form or variable has the name of a constant.
    void CheckHiddenPaths() {
        FirstSeen hidden;
        for (int number = 0; number < forms_.Count(); ++number) {
            if (const FirstSeen::Entry* constant = names_.Find(forms_.Key(number))) {
                bool isNew = false;
                hidden.Add(forms_.Key(number), constant->row, 0, isNew);
            }
        }
        if (hidden.Count() == 0) {
            return;
        }
        const std::size_t before = result_.findings.size();
        std::string property;
        std::string key;
        for (int row = 0; row < result_.records; ++row) {
            property = table_.TextAt(row, kPropertyColumn);
            split_.clear();
            SplitAtChar(TrimView(property), split_, ',');
            for (const std::string_view untrimmed : split_) {
                const std::string_view piece = TrimView(untrimmed);
                const PropertyPath path = ParsePropertyPath(piece);
                key.clear();
                AppendLowerAscii(key, path.first);
                const FirstSeen::Entry* constant =
                    path.fault == NameFault::None ? hidden.Find(key) : nullptr;
                if (constant != nullptr) {
                    Add(Severity::Error, Rule::HiddenPropertyPath, row, kPropertyColumn,
                        constant->row, piece, path.first);
                }
            }
        }
        if (result_.findings.size() > before) {
            std::stable_sort(result_.findings.begin(), result_.findings.end(), ByPlace);
        }
    }

    PtfTable& table_;
    const UnitContext& unit_;
    std::string unitKey_;
    CheckResult result_;
    ReviewChecks review_;

    // The block of records being checked.
    Record block_[kBlockSize];
    std::vector<Piece> pieces_;
    std::string keys_;
    std::vector<std::string_view> split_;
    std::string accelerator_;
    bool conflictReported_[2] = {false, false};

    FirstSeen names_;         // lower-case constant names
    FirstSeen paths_;         // path keys
    FirstSeen forms_;         // the lower-case first words of paths
    FirstSeen accelerators_;  // language, letter and form; extra: the path's number
};

}  // namespace

const std::string& CheckResult::Translation(int row) const {
    static const std::string none;
    const auto found = std::lower_bound(
        translations.begin(), translations.end(), row,
        [](const std::pair<int, std::string>& entry, int wanted) { return entry.first < wanted; });
    return found != translations.end() && found->first == row ? found->second : none;
}

CheckResult CheckTranslations(PtfTable& translations, const UnitContext& unit,
                              const review::SourceMemory* marks) {
    translations.Open();
    const int lastColumn = translation_field::LanguageColumn(2);
    if (translations.FieldCount() <= lastColumn) {
        throw PtfError("Die Übersetzungstabelle hat " + std::to_string(translations.FieldCount()) +
                       " Spalten; " + std::to_string(lastColumn + 1) + " werden gebraucht");
    }
    return TableCheck(translations, unit, marks).Run();
}

}  // namespace parlix::check
