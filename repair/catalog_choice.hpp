// Which of the catalogs an exe carries speaks the player's language.
#pragma once

#include <string>
#include <vector>

namespace vornhaskel::translation {

// The catalog of `carried`, named by gettext's language names in any case
// ("DE", "PT_BR", "ZH_CN"), for the first language of `preferred` that one
// serves; empty for English, where an English language comes before any served
// or none is. `preferred` holds language tags in the player's order, as Windows
// names them ("de-AT", "zh-Hans-CN"; "de_DE.UTF-8" is read too). A language is
// served by the catalog of its region, else of its language alone; Portuguese
// of any region by Brazil's, closer than English for a Portuguese reader;
// Chinese in simplified characters ("zh", "zh-CN", "zh-SG", "zh-Hans-*") by
// ZH_CN, and in traditional ones ("zh-TW", "zh-HK", "zh-MO", "zh-Hant-*") by
// ZH_TW alone.
std::string CatalogFor(const std::vector<std::string>& preferred, const std::vector<std::string>& carried);

}  // namespace vornhaskel::translation
