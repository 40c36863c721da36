// The checks of what the unit takes from the project's settings beside the table: its name
// and its uses list. Both go into the unit as they stand, so anything but unit names there
// would be compiled as code or as a directive.
#pragma once

#include <vector>

#include "check/table_checks.h"

namespace parlix::check {

// Appends the findings of the unit name and of the uses list, in this order (row and column
// -1). An empty unit name or uses list has none: the unit declares no uses list then, and
// a project without a source file has no unit name.
void CheckUnitSettings(const UnitContext& unit, std::vector<Finding>& findings);

}  // namespace parlix::check
