#include "formsync/form_sync.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "check/pascal_names.h"
#include "project/project_files.h"
#include "table/backups.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/text.h"

namespace parlix::formsync {

namespace {

constexpr int kTypeColumn = translation_field::kTypeColumn;
constexpr int kPropertyColumn = translation_field::kPropertyColumn;
constexpr int kNameColumn = translation_field::kStringNameColumn;
constexpr int kLanguage1 = translation_field::LanguageColumn(1);
constexpr std::size_t kNamedCharacters = 5;

FormSpot SpotOf(const forms::FormText& text) {
    return {text.file, text.place, text.place.line == 0};
}

// The characters of a UTF-8 text that Windows-1252 cannot hold, each once: "→ (U+2192)".
std::string UnheldCharacters(std::string_view text) {
    std::vector<char32_t> named;
    std::string list;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t from = i;
        const std::optional<char32_t> c = NextUtf8Character(text, i);
        if (!c) {
            ++i;
            continue;
        }
        if (UnicodeToCp1252(*c) || std::find(named.begin(), named.end(), *c) != named.end()) {
            continue;
        }
        named.push_back(*c);
        if (named.size() > kNamedCharacters) {
            list += ", ...";
            break;
        }
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*c));
        list += (list.empty() ? "" : ", ") + std::string(text.substr(from, i - from)) + " (" +
                code + ")";
    }
    return list;
}

// The form's text as the table holds it, or why it cannot.
struct TableText {
    std::string bytes;   // Windows-1252
    std::string reason;  // not empty: refused
};

TableText ToTable(std::string_view text, std::size_t limit) {
    TableText result;
    if (std::optional<std::string> bytes = Utf8ToCp1252(text)) {
        result.bytes = std::move(*bytes);
    } else {
        result.reason = "Zeichen, die Windows-1252 nicht kennt: " + UnheldCharacters(text);
        return result;
    }
    if (result.bytes.find_first_of("\r\n") != std::string::npos) {
        result.reason = "Zeilenumbruch im Text";
    } else if (result.bytes.size() > limit) {
        result.reason = std::to_string(result.bytes.size()) + " Bytes, die Spalte fasst " +
                        std::to_string(limit);
    }
    return result;
}

// The Type proposed for a new row: the class without its T ("TButton" -> "Button"), or the
// property's name for a hint.
std::string TypeOf(const forms::FormText& text, std::size_t limit) {
    std::string_view type = text.className;
    if (text.property == "Hint") {
        type = "Hint";
    } else if (type.size() > 1 && (type[0] == 'T' || type[0] == 't')) {
        type.remove_prefix(1);
    }
    std::string bytes = Utf8ToCp1252(type).value_or(std::string());
    if (bytes.size() > limit) {
        bytes.resize(limit);
    }
    return bytes;
}

// The paths of a Property value, trimmed, empty ones left out.
std::vector<std::string_view> Pieces(std::string_view property) {
    std::vector<std::string_view> split;
    SplitAtChar(TrimView(property), split, ',');
    std::vector<std::string_view> pieces;
    for (const std::string_view piece : split) {
        if (!TrimView(piece).empty()) {
            pieces.push_back(TrimView(piece));
        }
    }
    return pieces;
}

// A path of a row that a form's text matches.
struct Match {
    std::string_view piece;
    const forms::FormText* text;
    TableText value;
};

class Planner {
  public:
    Planner(const forms::ProjectForms& forms, PtfTable& table)
        : forms_(forms),
          table_(table),
          textLimit_(static_cast<std::size_t>(table.Field(kLanguage1).Size())),
          pathLimit_(static_cast<std::size_t>(table.Field(kPropertyColumn).Size())),
          typeLimit_(static_cast<std::size_t>(table.Field(kTypeColumn).Size())) {}

    SyncPlan Run() {
        plan_.tableRows = table_.RecordCount();
        for (int row = 0; row < plan_.tableRows; ++row) {
            Row(row);
        }
        for (const forms::FormText& text : forms_.Texts()) {
            if (assigned_.count(forms::LowerAscii(text.path)) == 0) {
                New(text);
            }
        }
        return std::move(plan_);
    }

  private:
    void Row(int row) {
        const std::string_view property = table_.TextViewAt(row, kPropertyColumn);
        if (property.empty()) {
            return;
        }
        matches_.clear();
        std::vector<std::string_view> pieces = Pieces(property);
        std::vector<std::string_view> vanished;
        for (const std::string_view piece : pieces) {
            key_.clear();
            if (check::ParsePropertyPath(piece, &key_).fault != check::NameFault::None) {
                continue;
            }
            if (const forms::FormText* text = forms_.TextAt(key_)) {
                assigned_.insert(key_);
                // A path the row gives twice is one text.
                if (std::none_of(matches_.begin(), matches_.end(),
                                 [text](const Match& match) { return match.text == text; })) {
                    matches_.push_back({piece, text, ToTable(text->text, textLimit_)});
                }
                continue;
            }
            const forms::PathTarget target = forms_.Scanned().Find(check::PathWithoutBlanks(piece));
            if (target.kind == forms::PathKind::NoComponent) {
                VanishedPath& gone = plan_.vanished.emplace_back();
                gone.id = table_.IdAt(row);
                gone.row = row;
                gone.path = std::string(piece);
                gone.missing = target.missing;
                gone.form = target.form->file;
                vanished.push_back(piece);
            }
        }
        if (!vanished.empty() && vanished.size() == pieces.size() &&
            TrimView(table_.TextViewAt(row, kNameColumn)).empty()) {
            for (std::size_t i = plan_.vanished.size() - vanished.size(); i < plan_.vanished.size();
                 ++i) {
                plan_.vanished[i].wholeRow = true;
            }
        }
        if (!matches_.empty()) {
            Compare(row);
        }
    }

    // Sorts the row's matches: the form's texts that the table cannot hold are refused; when
    // the others agree, each is unchanged or changes language 1; when they disagree, a row
    // cannot hold them all, and those that differ from language 1 are refused.
    void Compare(int row) {
        const bool null = table_.IsNullAt(row, kLanguage1);
        const std::string_view current = table_.TextViewAt(row, kLanguage1);
        const Match* first = nullptr;
        bool agree = true;
        for (const Match& match : matches_) {
            if (match.value.reason.empty()) {
                agree = agree && (first == nullptr || first->value.bytes == match.value.bytes);
                first = first == nullptr ? &match : first;
            }
        }
        for (const Match& match : matches_) {
            const std::string path = Cp1252ToUtf8(match.piece);
            if (!match.value.reason.empty()) {
                plan_.refused.push_back({row, path, match.value.reason, SpotOf(*match.text)});
            } else if (!null && match.value.bytes == current) {
                ++plan_.unchanged;
            } else if (!agree) {
                plan_.refused.push_back(
                    {row, path,
                     "die Zeile hat weitere Pfade, deren Text im Formular anders lautet ("
                     "\"" +
                         first->text->path + "\" hat \"" + first->text->text + "\")",
                     SpotOf(*match.text)});
            } else {
                ChangedText& changed = plan_.changed.emplace_back();
                changed.id = table_.IdAt(row);
                changed.row = row;
                changed.path = std::string(match.piece);
                if (!null) {
                    changed.before = std::string(current);
                }
                changed.after = match.value.bytes;
                changed.spot = SpotOf(*match.text);
            }
        }
    }

    void New(const forms::FormText& text) {
        TableText value = ToTable(text.text, textLimit_);
        const std::optional<std::string> path = Utf8ToCp1252(text.path);
        if (value.reason.empty() && (!path || path->size() > pathLimit_)) {
            value.reason = "der Pfad passt nicht in die Spalte Property";
        }
        if (!value.reason.empty()) {
            plan_.refused.push_back({-1, text.path, std::move(value.reason), SpotOf(text)});
            return;
        }
        plan_.added.push_back(
            {*path, TypeOf(text, typeLimit_), std::move(value.bytes), SpotOf(text)});
    }

    const forms::ProjectForms& forms_;
    PtfTable& table_;
    std::size_t textLimit_;
    std::size_t pathLimit_;
    std::size_t typeLimit_;
    SyncPlan plan_;
    std::unordered_set<std::string> assigned_;  // keys of the paths some row assigns
    std::vector<Match> matches_;                // of the row being compared
    std::string key_;
};

void Refuse() {
    throw PtfError("Der Abgleich passt nicht mehr zur Übersetzungstabelle");
}

// The row's Property without the paths removed, joined as the table writes several paths.
std::string WithoutPaths(std::string_view property, const std::vector<std::string>& removed) {
    std::string rest;
    for (const std::string_view piece : Pieces(property)) {
        if (std::find(removed.begin(), removed.end(), piece) == removed.end()) {
            rest += (rest.empty() ? "" : ", ") + std::string(piece);
        }
    }
    return rest;
}

}  // namespace

forms::ProjectFormsSource FormsSourceOf(const ProjectState& state,
                                        std::vector<std::string> extras) {
    const std::string source = TrimView(state.SourceFileName).empty() ? "" : SourceFilePath(state);
    return {state.ProjectFileName, source, state.UsesList, std::move(extras)};
}

std::string FormSpot::Text() const {
    if (binary) {
        return file + ": Byte " + std::to_string(place.offset);
    }
    return file + ":" + std::to_string(place.line);
}

SyncPlan PlanFormSync(const forms::ProjectForms& forms, PtfTable& table) {
    if (!table.IsActive() || table.State() != TableState::Browse) {
        throw PtfError("Die Übersetzungstabelle ist nicht bereit für den Abgleich");
    }
    return Planner(forms, table).Run();
}

SyncResult ApplyFormSync(const SyncPlan& plan, PtfTable& table,
                         const std::vector<bool>& removeVanished) {
    if (!table.IsActive() || table.State() != TableState::Browse ||
        table.RecordCount() != plan.tableRows ||
        (!removeVanished.empty() && removeVanished.size() != plan.vanished.size())) {
        Refuse();
    }
    // The rows by identity, found in one walk (RowOf would walk the table for each).
    std::unordered_map<RecordId, int> rows;
    rows.reserve(static_cast<std::size_t>(table.RecordCount()));
    for (int row = 0; row < table.RecordCount(); ++row) {
        rows.emplace(table.IdAt(row), row);
    }
    const auto rowOf = [&rows](RecordId id) {
        const auto found = rows.find(id);
        return found == rows.end() ? -1 : found->second;
    };
    // Per record: its values as they will be, and the paths to take out.
    std::map<RecordId, RecordValues> values;
    std::map<RecordId, std::vector<std::string>> removed;
    SyncResult result;
    for (const ChangedText& change : plan.changed) {
        const int row = rowOf(change.id);
        if (row < 0) {
            Refuse();
        }
        auto [it, added] = values.try_emplace(change.id);
        if (added) {
            it->second = table.ValuesAt(row);
            if (it->second[kLanguage1] != change.before) {
                Refuse();
            }
            ++result.changed;
        }
        it->second[kLanguage1] = change.after;
    }
    for (std::size_t i = 0; i < removeVanished.size(); ++i) {
        if (!removeVanished[i]) {
            continue;
        }
        const VanishedPath& gone = plan.vanished[i];
        const int row = rowOf(gone.id);
        if (row < 0) {
            Refuse();
        }
        auto [it, added] = values.try_emplace(gone.id);
        if (added) {
            it->second = table.ValuesAt(row);
        }
        const std::string_view property =
            it->second[kPropertyColumn] ? std::string_view(*it->second[kPropertyColumn]) : "";
        const std::vector<std::string_view> pieces = Pieces(property);
        if (std::find(pieces.begin(), pieces.end(), gone.path) == pieces.end()) {
            Refuse();
        }
        removed[gone.id].push_back(gone.path);
        ++result.pathsRemoved;
    }

    std::vector<RecordChange> changes;
    for (auto& [id, record] : values) {
        const auto paths = removed.find(id);
        if (paths != removed.end()) {
            const std::string rest =
                WithoutPaths(record[kPropertyColumn].value_or(""), paths->second);
            const bool named = record[kNameColumn] && !TrimView(*record[kNameColumn]).empty();
            if (rest.empty() && !named) {
                changes.push_back({id, std::nullopt});
                ++result.rowsDeleted;
                continue;
            }
            record[kPropertyColumn] = rest;
        }
        changes.push_back({id, std::move(record)});
    }

    ControlsDisabled quiet(table);
    const RecordId cursor = table.RecordCount() > 0 ? table.IdAt(std::max(table.RecNo(), 0)) : 0;
    if (!changes.empty()) {
        table.ApplyChanges(changes);
    }
    for (const NewRow& row : plan.added) {
        table.Append();
        table.Field(kTypeColumn).SetAsString(row.type);
        table.Field(kPropertyColumn).SetAsString(row.path);
        table.Field(kNameColumn).SetAsString("");
        table.Field(kLanguage1).SetAsString(row.text);
        table.Post();
        ++result.added;
    }
    if (const int row = table.RowOf(cursor); row >= 0) {
        table.MoveTo(row);
    }
    return result;
}

}  // namespace parlix::formsync
