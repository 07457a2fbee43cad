// A failure's message in the companions: what failed, in the player's language,
// then the system's own words for why, which stay as the system gives them.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace vornhaskel::flow {

// "WHAT: WHY", through a translated pattern, so that a language may set the
// two apart in its own way.
std::string WithSystemWords(std::string_view what, std::string_view why);

// The same, for a failure with the system's code; as an exception, which the
// tools show as it is.
[[noreturn]] void ThrowWithSystemWords(std::string_view what, const std::error_code& error);

}  // namespace vornhaskel::flow
