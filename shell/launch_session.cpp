#include "launch_session.hpp"

#include <cstdlib>
#include <utility>

#include "click_look.hpp"
#include "repair_words.hpp"
#include "stores_look.hpp"

namespace vornhaskel::launch {

Ending RunLaunch(LaunchWindows& windows, Program program, const std::optional<std::string>& folder,
                 const std::string& otherwise, const flow::Stores& records, const ListFunction& list) {
    stores::Install place{folder.value_or(std::string()), {}};
    if (!folder) {
        const std::optional<stores::Found> found = flow::FindBesideTheWindows(windows, records.find_installs);
        if (!found || !flow::FromTheStores(windows, *found, records, otherwise, place)) return {};
        if (place.folder.empty()) {
            std::optional<std::string> chosen = windows.Choose(flow::FirstChooserFolder(records, otherwise));
            if (!chosen) return {};
            place.folder = std::move(*chosen);
        }
    }
    const auto enter = [&windows](const std::string& path) { return windows.Enter(path); };
    for (;;) {
        const flow::Opened opened = flow::Open(windows, place, enter, true);
        if (!opened.resolution) return {std::nullopt, opened.failed.empty() ? EXIT_SUCCESS : EXIT_FAILURE};
        Program start = program;
        if (program == Program::kSwitcher) {
            const ClickLook look = LookBeforeClick(ListMusicNames("", list));
            if (!look.Harmless()) {
                switch (windows.HoldBack(*opened.resolution, repair::HeldBack(look))) {
                case HeldBackAnswer::kCancel:
                    return {};
                case HeldBackAnswer::kChoose:
                    // Cancel in the chooser looks at the same folder again.
                    if (std::optional<std::string> chosen = windows.Choose(opened.resolution->Taken()))
                        place = {std::move(*chosen), {}};
                    else
                        place = {opened.resolution->folder, opened.resolution->store};
                    continue;
                case HeldBackAnswer::kRepair:
                    start = Program::kRepair;
                    break;
                }
            }
        }
        return {start, EXIT_SUCCESS};
    }
}

}  // namespace vornhaskel::launch
