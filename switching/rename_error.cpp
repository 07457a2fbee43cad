#include "rename_file.hpp"

namespace vornhaskel {

namespace {
std::string Describe(std::string_view old_path, std::string_view new_path) {
    std::string text;
    text.reserve(old_path.size() + new_path.size() + 4);
    text.append(old_path).append(" -> ").append(new_path);
    return text;
}
}  // namespace

RenameError::RenameError(std::error_code code, std::string_view old_path, std::string_view new_path)
    : std::system_error(code, Describe(old_path, new_path)), old_path_(old_path), new_path_(new_path) {}

}  // namespace vornhaskel
