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

    std::string& bytes = bytes_;
    Refusal reason = Refusal::Characters;
    std::string detail;
    if (offered.markup) {
        reason = Refusal::Markup;
        detail = "Platzhalter oder andere Auszeichnungen im Ziel";
    } else if (!ToCp1252(offered.text, controlPictures_, bytes, &detail)) {
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

void Planner::Record(int row, std::string key, int line, bool offeredNull) {
    const std::string& bytes = bytes_;
    const TextValue& current = rows_[static_cast<std::size_t>(row)][kTargetColumn];
    const bool same =
        bytes.empty() ? Untranslated(current) : !current.isNull && current.text == bytes;
    if (same) {
        plan_.unchanged.push_back({std::move(key), line});
        return;
    }
    ImportChange change;
    change.key = std::move(key);
    change.line = line;
    change.row = row;
    change.isNew = Untranslated(current);
    if (!current.isNull) {
        change.before = current.text;
    }
    if (!offeredNull || !bytes.empty()) {
        change.after = bytes;
    }
    plan_.changes.push_back(std::move(change));
}

void Planner::Fail(int line, std::string message) {
    if (Failed()) {
        return;
    }
    plan_.fault = Fault::In(plan_.file, std::move(message), line);
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
