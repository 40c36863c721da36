// A form as text, to compare what two readers make of one form and to write expected trees in
// tests: one line per component ("inherited Name: TClass [n]") and one per string
// ("Items.Strings[0] = 'text'"), indented by nesting. Places are left out.
#pragma once

#include <string>

#include "forms/form.h"

namespace parlix::testing {

inline void DumpComponent(const forms::FormComponent& component, const std::string& indent,
                          std::string& out) {
    static const char* const kKeywords[] = {"object", "inherited", "inline"};
    out += indent + kKeywords[static_cast<int>(component.declaration)] + ' ' + component.name +
           ": " + component.className;
    if (component.childPosition >= 0) {
        out += " [" + std::to_string(component.childPosition) + ']';
    }
    out += '\n';
    for (const forms::FormString& string : component.strings) {
        out += indent + "  " + string.property + " = '";
        for (const char c : string.text) {
            if (static_cast<unsigned char>(c) < 0x20) {
                out += '#' + std::to_string(static_cast<int>(c));
            } else {
                out += c;
            }
        }
        out += "'\n";
    }
    for (const forms::FormComponent& child : component.children) {
        DumpComponent(child, indent + "  ", out);
    }
}

inline std::string Dump(const forms::Form& form) {
    std::string out;
    DumpComponent(form.root, "", out);
    return out;
}

}  // namespace parlix::testing
