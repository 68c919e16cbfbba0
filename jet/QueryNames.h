// Names as a query's SQL text writes them: in brackets where the name
// alone would not read back as one name.
#pragma once

#include <string>
#include <string_view>

namespace speclore::jet {

// A name kept whole, such as an alias or a parameter: bracketed when it
// holds anything but letters, digits and "_" (letters of any script),
// unless it is bracketed already.
std::string quotedName(std::string_view name);

// A name that may be qualified, such as Table.Column: each part between
// dots outside brackets as quotedName gives it.
std::string quotedIdentifier(std::string_view dotted);

}  // namespace speclore::jet
