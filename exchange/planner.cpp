#include "exchange/planner.h"

#include "exchange/text_codec.h"

namespace parlix::exchange::detail {

Planner::Planner(ImportPlan& plan, PtfTable& table, bool controlPictures)
    : plan_(plan),
      rows_(ReadRows(table)),
      lineOfRow_(rows_.size(), 0),
      limit_(static_cast<std::size_t>(table.Field(kTargetColumn).Size())),
      controlPictures_(controlPictures) {
    plan_.targetColumn = kTargetColumn;
    plan_.tableRows = static_cast<int>(rows_.size());
}

bool Planner::Add(int row, std::string key, int line, const OfferedText& offered) {
    if (Failed()) {
        return false;
    }
    if (row < 0) {
        plan_.unknown.push_back({std::move(key), line});
        return true;
    }
    int& seen = lineOfRow_[static_cast<std::size_t>(row)];
    if (seen != 0) {
        Fail(line, "die Einheit \"" + key + "\" steht schon in Zeile " + std::to_string(seen));
        return false;
    }
    seen = line;

    RefusedUnit refused;
    refused.key = key;
    refused.line = line;
    refused.row = row;
    std::string bytes;
    if (offered.markup) {
        refused.reason = Refusal::Markup;
        refused.detail = "Platzhalter oder andere Auszeichnungen im Ziel";
    } else if (!ToCp1252(offered.text, controlPictures_, bytes, &refused.detail)) {
        refused.reason = Refusal::Characters;
        refused.detail = "Zeichen, die Windows-1252 nicht kennt: " + refused.detail;
    } else if (bytes.find_first_of("\r\n") != std::string::npos) {
        refused.reason = Refusal::LineBreak;
        refused.detail = "Zeilenumbruch im Text";
    } else if (offered.cut || bytes.size() > limit_) {
        refused.reason = Refusal::TooLong;
        refused.detail = (offered.cut ? "mehr als " + std::to_string(kTextKeptBytes)
                                      : std::to_string(bytes.size())) +
                         " Bytes, die Spalte fasst " + std::to_string(limit_);
    } else {
        const TextValue& current = rows_[static_cast<std::size_t>(row)][kTargetColumn];
        const bool same =
            bytes.empty() ? Untranslated(current) : !current.isNull && current.text == bytes;
        if (same) {
            plan_.unchanged.push_back({std::move(key), line});
            return true;
        }
        ImportChange change;
        change.key = std::move(key);
        change.line = line;
        change.row = row;
        change.isNew = Untranslated(current);
        if (!current.isNull) {
            change.before = current.text;
        }
        if (!offered.isNull || !bytes.empty()) {
            change.after = std::move(bytes);
        }
        plan_.changes.push_back(std::move(change));
        return true;
    }
    plan_.refused.push_back(std::move(refused));
    return true;
}

void Planner::Fail(int line, std::string message) {
    if (Failed()) {
        return;
    }
    plan_.fault = ImportFault{plan_.file, line, std::move(message)};
    plan_.changes.clear();
    plan_.unchanged.clear();
    plan_.unknown.clear();
    plan_.refused.clear();
}

void Planner::Finish() {
    if (Failed() || plan_.unknown.empty()) {
        return;
    }
    if (plan_.changes.empty() && plan_.unchanged.empty() && plan_.refused.empty()) {
        const int count = static_cast<int>(plan_.unknown.size());
        Fail(plan_.unknown.front().line,
             "keine Einheit der Datei passt zu dieser Übersetzungstabelle (" +
                 std::to_string(count) + " unbekannt) - die Datei eines anderen Projekts?");
    }
}

}  // namespace parlix::exchange::detail
