// Which strings of a form are texts for the translation table: the one list of the system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlix::forms {

// The property path of a string (as FormString::property holds it) when it is a text to
// translate, with the known names in their usual spelling ("caption" -> "Caption",
// "items.strings[2]" -> "Items.Strings[2]", "EditLabel.caption" -> "EditLabel.Caption");
// nothing otherwise.
//
// Translated: Caption, Hint, TextHint, Title, DialogTitle, SimpleText, Filter and DisplayLabel,
// also below a sub-object or a collection item (EditLabel.Caption, Columns[0].Title.Caption);
// the lines of Items, Lines and Tabs (Items.Strings[n]); the Text of a collection item
// (Panels[n].Text, Sections[n].Text). Left out: an empty text, the menu separator "-", a
// Caption equal to its component's own name (the designer's untouched default), the Text of a
// component itself (the input default of an edit or combo box), and every other property
// (Name, Font.*, LCLVersion, Category, DataField, FieldName, DefaultExt, SQL, ...).
std::optional<std::string> TranslatableProperty(std::string_view property, std::string_view text,
                                                std::string_view componentName);

}  // namespace parlix::forms
