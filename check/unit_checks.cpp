#include "check/unit_checks.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "check/pascal_names.h"

namespace parlix::check {

namespace {

// The units that Free Pascal in Delphi mode (System, ObjPas) and Delphi (System) use in every
// unit; naming one again is a duplicate identifier.
constexpr std::string_view kImplicitUnits[] = {"objpas", "system"};

// What may stand between the entries of a uses list and its commas: blanks and line ends.
// Other control characters are no Pascal blanks (#26 ends Free Pascal's source file).
bool IsUsesBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimUsesBlanks(std::string_view text) {
    while (!text.empty() && IsUsesBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsUsesBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void Add(std::vector<Finding>& findings, Rule rule, std::string_view subject,
         std::string_view detail = {}) {
    findings.push_back(
        Finding{Severity::Error, rule, -1, -1, -1, std::string(subject), std::string(detail)});
}

// The entries between the commas, each a unit name once; the unit itself and the units every
// unit uses are no entries either.
void CheckUsesList(std::string_view list, std::string_view unitKey,
                   std::vector<Finding>& findings) {
    std::vector<std::string> seen;  // lower case; a uses list is short
    std::string key;
    std::string_view rest = list;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view entry = TrimUsesBlanks(rest.substr(0, comma));
        const UnitName name = CheckUnitName(entry);
        if (name.fault != NameFault::None) {
            Add(findings, Rule::InvalidUsesEntry, entry, name.word);
        } else {
            key.clear();
            AppendLowerAscii(key, entry);
            if (std::find(std::begin(kImplicitUnits), std::end(kImplicitUnits), key) !=
                std::end(kImplicitUnits)) {
                Add(findings, Rule::UsesImplicitUnit, entry);
            } else if (key == unitKey) {
                Add(findings, Rule::UsesOwnUnit, entry);
            } else if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
                Add(findings, Rule::DuplicateUsesEntry, entry);
            } else {
                seen.push_back(key);
            }
        }
        if (comma == std::string_view::npos) {
            return;
        }
        rest.remove_prefix(comma + 1);
    }
}

}  // namespace

void CheckUnitSettings(const UnitContext& unit, std::vector<Finding>& findings) {
    std::string unitKey;
    if (!unit.unitName.empty()) {
        const UnitName name = CheckUnitName(unit.unitName);
        if (name.fault != NameFault::None) {
            Add(findings, Rule::InvalidUnitName, unit.unitName, name.word);
        } else {
            AppendLowerAscii(unitKey, unit.unitName);
        }
    }
    if (!unit.usesList.empty()) {
        CheckUsesList(unit.usesList, unitKey, findings);
    }
}

}  // namespace parlix::check
