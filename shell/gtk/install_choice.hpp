// The choice among several game folders that the stores' records lead to, for
// the launcher and the repair tool.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "stores.hpp"

namespace vornhaskel {

// A modal dialog titled `title` that says where each folder was found, with a
// button for each, captioned with its full path, then "Choose another folder…"
// and Cancel. The first folder's button has the focus: Enter alone takes it,
// and renames nothing, as the windows that follow ask first. Returns the index
// of the folder picked, installs.size() for "Choose another folder…", or
// nothing on Cancel.
std::optional<std::size_t> ChooseInstall(const char* title, const std::vector<stores::Install>& installs);

}  // namespace vornhaskel
