// What the Pascal unit beside a form tells about it: the variables of its interface
// ("var frmAddress: TfrmAddress;") and the ancestor of each class ("TfrmAddress =
// class(TfrmBase)"). Only as much Pascal as that takes is read: comments, strings and
// compiler directives are passed over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace parlix::forms {

struct UnitDeclarations {
    struct Variable {
        std::string name;
        std::string type;  // the type's name without a unit prefix; empty for any other type
    };
    struct Class {
        std::string name;
        std::string ancestor;  // without a unit prefix
    };
    // Of the interface only, the unit's public part: the implementation is not read.
    std::vector<Variable> variables;
    std::vector<Class> classes;
};

UnitDeclarations ReadUnitDeclarations(std::string_view source);

}  // namespace parlix::forms
