// The checks that know the application's forms: a path whose form has no such component (the
// unit would not compile), a path whose first word names no form and nothing the units of the
// uses list declare, and a language-1 text that differs from the form's. Whether a component
// has the property cannot be decided from its form, which does not store a property at its
// default value, so it is not checked.
#pragma once

#include <vector>

#include "check/table_checks.h"
#include "forms/project_forms.h"

namespace parlix::check {

// Appends the findings of every record's paths against the forms, by row; nothing when no
// form was found.
void CheckAgainstForms(PtfTable& table, const forms::ProjectForms& forms,
                       std::vector<Finding>& findings);

}  // namespace parlix::check
