// A form of the translated application as its form file describes it: a tree of components
// with their string properties. Lazarus text forms (.lfm), Delphi text forms (.dfm) and binary
// forms (TPF0) all read into this one shape (see form_reader.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "table/errors.h"

namespace parlix::forms {

// Where something stands in a form file: a line (text forms, from 1) or a byte offset (binary
// forms). A text form's places have `offset` 0, a binary form's have `line` 0.
struct FormPlace {
    int line = 0;
    std::size_t offset = 0;
};

// Why a form file was skipped, or what a reader noticed while reading it, is a Fault
// (table/errors.h) with the file and the line of a text form or the byte offset of a binary
// one; a form that cannot be read throws it in a FaultError.

// How a component is written: `object` (declared in this form), `inherited` (declared in the
// ancestor's form, changed here) or `inline` (an instance of a frame).
enum class Declaration { Object, Inherited, Inline };

// A string value of a component. `property` is the path below the component: the name as the
// file writes it ("Caption", "EditLabel.Caption", "left"), a list's item with its index
// ("Items.Strings[0]") and a collection item's property with the item's index
// ("Columns[1].Title.Caption"). `text` is UTF-8.
struct FormString {
    std::string property;
    std::string text;
    FormPlace place;
};

struct FormComponent {
    std::string name;  // may be empty: a form file may leave a component unnamed
    std::string className;
    Declaration declaration = Declaration::Object;
    int childPosition = -1;  // "Name: TClass [n]"; -1 when not given
    FormPlace place;
    std::vector<FormString> strings;  // in the order of the file
    std::vector<FormComponent> children;
};

enum class FormSyntax {
    Lazarus,  // .lfm: UTF-8, #nnn are code points
    Delphi,   // .dfm: #nnnn are UTF-16 code units; a file that is no UTF-8 is Windows-1252
    Binary,   // TPF0, optionally behind a resource header
};

struct Form {
    std::string file;
    FormSyntax syntax = FormSyntax::Lazarus;
    FormComponent root;
    std::vector<Fault> warnings;  // read all the same (a .lfm that is no valid UTF-8)
};

}  // namespace parlix::forms
