#include "reasons.hpp"

namespace vornhaskel::repair {

Reason::Reason(Kind kind_, std::initializer_list<std::string_view> paths_, std::error_code error_)
    : kind(kind_), paths(paths_.begin(), paths_.end()), error(error_) {}

Reason::Reason(Kind kind_, std::vector<std::string> paths_) : kind(kind_), paths(std::move(paths_)) {}

}  // namespace vornhaskel::repair
