#include <json-glib/json-glib.h>

#include "readers.hpp"

namespace vornhaskel::stores {

namespace {

constexpr std::size_t kLargestRecord = 64 << 20;

// Heroic's list of the GOG games it installed: {"installed": [{"install_path": PATH, ...}, ...]}.
void AddInstalled(const Places& places, const std::string& record, std::vector<std::string>& folders) {
    std::string text;
    if (!ReadRecord(places, record, kLargestRecord, text)) return;
    JsonParser* parser = json_parser_new();
    GError* error = nullptr;
    if (json_parser_load_from_data(parser, text.data(), static_cast<gssize>(text.size()), &error)) {
        JsonNode* root = json_parser_get_root(parser);
        JsonObject* object = root != nullptr && JSON_NODE_HOLDS_OBJECT(root) ? json_node_get_object(root) : nullptr;
        JsonNode* installed = object != nullptr ? json_object_get_member(object, "installed") : nullptr;
        JsonArray* games = installed != nullptr && JSON_NODE_HOLDS_ARRAY(installed) ? json_node_get_array(installed)
                                                                                     : nullptr;
        const guint count = games != nullptr ? json_array_get_length(games) : 0;
        for (guint i = 0; i < count; ++i) {
            JsonNode* game = json_array_get_element(games, i);
            JsonObject* fields = JSON_NODE_HOLDS_OBJECT(game) ? json_node_get_object(game) : nullptr;
            JsonNode* path = fields != nullptr ? json_object_get_member(fields, "install_path") : nullptr;
            if (path != nullptr && JSON_NODE_HOLDS_VALUE(path) && json_node_get_value_type(path) == G_TYPE_STRING)
                if (const char* value = json_node_get_string(path); value != nullptr && *value != '\0')
                    folders.emplace_back(value);
        }
    }
    g_clear_error(&error);
    g_object_unref(parser);
}

}  // namespace

std::vector<std::string> HeroicFolders(const Places& places) {
    std::vector<std::string> folders;
    std::vector<std::string> configs = XdgFolders(places, "XDG_CONFIG_HOME", ".config");
    if (!places.home.empty()) configs.push_back(Join(places.home, ".var/app/com.heroicgameslauncher.hgl/config"));
    for (const std::string& config : configs) AddInstalled(places, Join(config, "heroic/gog_store/installed.json"), folders);
    return folders;
}

}  // namespace vornhaskel::stores
