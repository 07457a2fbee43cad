#include "system_words.hpp"

#include <stdexcept>

#include "translation.hpp"

namespace vornhaskel::flow {

std::string WithSystemWords(std::string_view what, std::string_view why) {
    // Translators: a failure's message in the repair tool and the launcher: %1$s says what failed ("Cannot
    // start ..."), %2$s is the operating system's own words for why, which stay in the system's language.
    return translation::Format(translation::Tr("%1$s: %2$s"), {what, why});
}

void ThrowWithSystemWords(std::string_view what, const std::error_code& error) {
    throw std::runtime_error(WithSystemWords(what, error.message()));
}

}  // namespace vornhaskel::flow
