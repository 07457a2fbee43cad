// A reader of Valve's KeyValues text, the format of Steam's records
// (libraryfolders.vdf): quoted or bare keys, each with a quoted value or a
// block of pairs in braces, and "//" comments. It reads whatever it is given
// without fail: what comes after anything it cannot read is left out, and
// whatever was read before it is kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornhaskel::stores::key_values {

struct Pair {
    std::string key;
    std::string value;         // "" for a block
    std::vector<Pair> pairs;   // a block's own pairs
    bool block = false;
};

// Reads `text`. In quoted text "\\" and "\"" stand for a backslash and a quote;
// any other backslash is kept as it is. A string cut short by the end of the
// text is left out, and blocks nested deeper than 32 end the reading.
std::vector<Pair> Read(std::string_view text);

// The libraries that a libraryfolders.vdf names, in its order: the numbered
// values of a "LibraryFolders" block (the format before 2021) and the "path" of
// each block within it (the format since), keys compared in any case.
std::vector<std::string> LibraryPaths(std::string_view text);

}  // namespace vornhaskel::stores::key_values
