// Names as the player reads them in a window.
#pragma once

#include <string>
#include <string_view>

namespace vornhaskel {

// `text` with each control character written out ("\n", "\t", "\x1b"), so that
// a name holding a line break cannot add lines of its own to a list.
std::string Printable(std::string_view text);

}  // namespace vornhaskel
