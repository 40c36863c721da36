// The conditional symbols that Free Pascal and Delphi define themselves. A language named like
// one of them has its block compiled without being chosen: on such a target both blocks
// declare their constants (the unit does not compile), or the program shows that language
// although the other one was defined.
#pragma once

#include <string_view>

namespace parlix::check {

// Whether {$IFDEF word} can be true in a unit although neither the unit nor the build
// defines `word`: a symbol that Free Pascal (any mode, target, processor or version) or
// Delphi (any platform or version) defines on its own. Case does not matter.
bool IsCompilerSymbol(std::string_view word);

}  // namespace parlix::check
