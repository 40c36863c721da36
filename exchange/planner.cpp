#include "exchange/planner.h"

#include "exchange/readers.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "exchange/text_codec.h"

namespace parlix::exchange::detail {

std::uint64_t StampOf(bool isNull, std::string_view text) {
    return isNull ? 0 : std::hash<std::string_view>{}(text) | 1;
}

void MarkTarget(OfferedText& offered, bool hasTarget, std::string_view approved,
                std::string_view state) {
    offered.mark = TargetMark::Finished;
    offered.markedAs.clear();
    auto mark = [&offered](TargetMark as, std::string_view attribute, std::string_view value) {
        offered.mark = as;
        offered.markedAs.assign(attribute).append("=\"").append(value).append("\"");
    };
    if (!hasTarget) {
        offered.mark = TargetMark::Untranslated;
        offered.markedAs = "kein <target>";
    } else if (offered.text.empty() && !offered.markup) {
        offered.mark = TargetMark::Untranslated;
        offered.markedAs = "leeres <target>";
    } else if (approved == "no") {
        mark(TargetMark::Draft, "approved", approved);  // how po2xliff writes a fuzzy entry
    } else if (state == "new" || state == "needs-translation") {
        mark(TargetMark::Untranslated, "state", state);
    } else if (state == "needs-l10n" || state == "needs-adaptation" ||
               state.starts_with("needs-review-")) {
        mark(TargetMark::Draft, "state", state);
    }
}

Planner::Planner(ImportPlan& plan, PtfTable& table, bool controlPictures)
    : plan_(plan),
      rows_(table),
      seen_(static_cast<std::size_t>(rows_.Count())),
      limit_(static_cast<std::size_t>(table.Field(kTargetColumn).Size())),
      controlPictures_(controlPictures) {
    plan_.targetColumn = kTargetColumn;
    plan_.tableRows = rows_.Count();
}

bool Planner::Add(int row, std::string key, int line, const OfferedText& offered) {
    if (Failed()) {
        return false;
    }
    if (row < 0) {
        plan_.unknown.push_back({std::move(key), line});
        unknownSection_.push_back(section_);
        return true;
    }
    Seen& seen = seen_[static_cast<std::size_t>(row)];
    if (seen.line != 0 && seen.section == section_) {
        Fail(line, "die Einheit \"" + key + "\" steht schon in Zeile " + std::to_string(seen.line));
        return false;
    }
    replaced_ = replaced_ || seen.line != 0;
    seen = {line, section_};

    if (offered.mark != TargetMark::Finished) {
        HeldBackUnit held;
        held.key = std::move(key);
        held.line = line;
        held.row = row;
        held.mark = offered.mark;
        held.markedAs = offered.markedAs;
        plan_.heldBack.push_back(std::move(held));
        return true;
    }
    std::string& bytes = bytes_;
    Refusal reason = Refusal::Characters;
    std::string detail;
    if (!offered.differingColumn.empty()) {
        reason = Refusal::Converted;
        detail = "Spalte " + offered.differingColumn +
                 " passt nicht zur Tabelle - die Datei wurde wohl von einer Tabellenkalkulation "
                 "umgewandelt; alle Spalten als Text öffnen";
    } else if (offered.markup) {
        reason = Refusal::Markup;
        detail = "Platzhalter oder andere Auszeichnungen im Ziel";
    } else if (const Conversion held = ToCp1252(offered.text, controlPictures_, bytes, &detail);
               held == Conversion::Unheld ||
               (held == Conversion::Undefined && !RowHolds(row, bytes))) {
        detail = "Zeichen, die Windows-1252 nicht kennt: " + detail;
    } else if (bytes.find_first_of("\r\n") != std::string::npos) {
        reason = Refusal::LineBreak;
        detail = "Zeilenumbruch im Text";
    } else if (offered.cut || bytes.size() > limit_) {
        reason = Refusal::TooLong;
        detail = (offered.cut ? "mehr als " + std::to_string(kTextKeptBytes)
                              : std::to_string(bytes.size())) +
                 " Bytes, die Spalte fasst " + std::to_string(limit_);
    } else {
        Record(row, std::move(key), line, offered.isNull);
        return true;
    }
    RefusedUnit refused;
    refused.key = std::move(key);
    refused.line = line;
    refused.row = row;
    refused.reason = reason;
    refused.detail = std::move(detail);
    plan_.refused.push_back(std::move(refused));
    return true;
}

bool Planner::RowHolds(int row, std::string_view bytes) const {
    return !rows_.IsNull(row, kTargetColumn) && rows_.Text(row, kTargetColumn) == bytes;
}

void Planner::Record(int row, std::string key, int line, bool offeredNull) {
    const std::string& bytes = bytes_;
    const std::string_view current = rows_.Text(row, kTargetColumn);
    const bool currentNull = rows_.IsNull(row, kTargetColumn);
    const bool same = bytes.empty() ? current.empty() : !currentNull && current == bytes;
    if (same) {
        plan_.unchanged.push_back({std::move(key), line, row});
        return;
    }
    ImportChange change;
    change.key = std::move(key);
    change.line = line;
    change.row = row;
    change.isNew = current.empty();
    change.beforeStamp = StampOf(currentNull, current);
    if (!offeredNull || !bytes.empty()) {
        change.after = bytes;
    }
    plan_.changes.push_back(std::move(change));
}

void Planner::Fail(int line, std::string message) {
    if (Failed()) {
        return;
    }
    plan_.changes = {};
    plan_.unchanged = {};
    plan_.unknown = {};
    unknownSection_ = {};
    plan_.refused = {};
    plan_.heldBack = {};
    plan_.fault = Fault::In(plan_.file, std::move(message), line);
}

void Planner::FailOutOfMemory(int line) {
    Fail(line, kOutOfMemory);
}

void Planner::DropReplaced() {
    auto replaced = [this](const ImportUnit& unit) {
        return unit.row >= 0 && seen_[static_cast<std::size_t>(unit.row)].line != unit.line;
    };
    if (replaced_) {
        std::erase_if(plan_.changes, replaced);
        std::erase_if(plan_.unchanged, replaced);
        std::erase_if(plan_.refused, replaced);
        std::erase_if(plan_.heldBack, replaced);
    }
    if (section_ > 1 && !plan_.unknown.empty()) {
        std::unordered_map<std::string_view, int> lastSection;
        for (std::size_t i = 0; i < plan_.unknown.size(); ++i) {
            int& last = lastSection[plan_.unknown[i].key];
            last = std::max(last, unknownSection_[i]);
        }
        std::vector<bool> keep(plan_.unknown.size());
        for (std::size_t i = 0; i < plan_.unknown.size(); ++i) {
            keep[i] = unknownSection_[i] == lastSection[plan_.unknown[i].key];
        }
        lastSection.clear();
        std::size_t kept = 0;
        for (std::size_t i = 0; i < plan_.unknown.size(); ++i) {
            if (keep[i]) {
                plan_.unknown[kept++] = std::move(plan_.unknown[i]);
            }
        }
        plan_.unknown.resize(kept);
    }
}

void Planner::Finish() {
    if (Failed()) {
        return;
    }
    DropReplaced();
    if (plan_.unknown.empty()) {
        return;
    }
    if (plan_.changes.empty() && plan_.unchanged.empty() && plan_.refused.empty() &&
        plan_.heldBack.empty()) {
        const int count = static_cast<int>(plan_.unknown.size());
        Fail(plan_.unknown.front().line,
             "keine Einheit der Datei passt zu dieser Übersetzungstabelle (" +
                 std::to_string(count) + " unbekannt) - die Datei eines anderen Projekts?");
    }
}

}  // namespace parlix::exchange::detail
