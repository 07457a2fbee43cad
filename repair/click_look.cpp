#include "click_look.hpp"

#include <algorithm>

#include "game_folder.hpp"
#include "names.hpp"

namespace vornhaskel {

namespace {

struct Path {
    std::size_t folder;  // index into kMusicFolders
    std::string_view name;
};

Path Split(std::string_view path) {
    const std::size_t slash = path.find('\\');
    const std::string_view folder = path.substr(0, slash);
    const auto index = static_cast<std::size_t>(std::ranges::find(kMusicFolders, folder) - kMusicFolders.begin());
    return {index, path.substr(slash + 1)};
}

class Folder {
public:
    Folder(const MusicNames& names, NameCase rule) : names_(names), rule_(rule) {}

    bool Holds(const Path& path) const { return Find(path) != End(path); }

    void Rename(const Path& from, const Path& to) {
        auto& names = *names_[from.folder];
        names.erase(Find(from));
        (*names_[to.folder]).emplace_back(to.name);
    }

private:
    std::vector<std::string>::const_iterator End(const Path& path) const {
        static const std::vector<std::string> none;
        return names_[path.folder] ? names_[path.folder]->cend() : none.cend();
    }
    std::vector<std::string>::const_iterator Find(const Path& path) const {
        if (!names_[path.folder]) return End(path);
        const std::vector<std::string>& names = *names_[path.folder];
        return std::ranges::find_if(names, [&](const std::string& name) {
            return rule_ == NameCase::kExact ? name == path.name : EqualIgnoringCase(name, path.name);
        });
    }

    MusicNames names_;
    NameCase rule_;
};

ButtonLook Follow(Sequence sequence, const MusicNames& names, NameCase rule) {
    Folder folder(names, rule);
    ButtonLook look;
    for (const RenameStep& step : sequence) {
        const Path from = Split(step.old_path);
        const Path to = Split(step.new_path);
        const bool taken = folder.Holds(to);
        if (!folder.Holds(from) || taken) {
            look.outcome = look.done == 0 ? ButtonLook::Outcome::kChangesNothing : ButtonLook::Outcome::kStopsPartWay;
            look.stop = step;
            look.new_name_taken = taken && folder.Holds(from);
            return look;
        }
        folder.Rename(from, to);
        ++look.done;
    }
    return look;
}

}  // namespace

bool ClickLook::Harmless() const {
    using enum ButtonLook::Outcome;
    const auto completes_other_safe = [](const ButtonLook& a, const ButtonLook& b) {
        return a.outcome == kCompletes && b.outcome != kStopsPartWay;
    };
    return completes_other_safe(rename, unrename) || completes_other_safe(unrename, rename);
}

ClickLook LookBeforeClick(const MusicNames& names, NameCase rule) {
    ClickLook look{Follow(RenameSequence, names, rule), Follow(UnrenameSequence, names, rule), {}};
    for (std::size_t i = 0; i < kMusicFolders.size(); ++i)
        if (!names[i]) look.unlisted.push_back(kMusicFolders[i]);
    return look;
}

MusicNames ListMusicNames(std::string_view folder, const ListFunction& list) {
    MusicNames names;
    for (std::size_t i = 0; i < kMusicFolders.size(); ++i) {
        std::error_code error;
        std::vector<FolderEntry> entries = list(game_folder::Join(folder, kMusicFolders[i]), error);
        if (error) continue;
        names[i].emplace();
        for (FolderEntry& entry : entries) names[i]->push_back(std::move(entry.name));
    }
    return names;
}

}  // namespace vornhaskel
