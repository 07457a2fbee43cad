#include "stores_look.hpp"

#include <atomic>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include "repair_words.hpp"

namespace vornhaskel::flow {

namespace {

// What the look and the window share. The look writes `where` under the lock
// and, last, `found` or `failure` before `done`; the window reads them after.
struct Shared {
    std::atomic_flag lock;
    std::string where;
    std::atomic<bool> done{false};
    std::optional<stores::Found> found;
    std::exception_ptr failure;

    void SetWhere(const std::string& folder) {
        while (lock.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
        where = folder;
        lock.clear(std::memory_order_release);
    }

    std::string Where() {
        while (lock.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
        std::string copy = where;
        lock.clear(std::memory_order_release);
        return copy;
    }

    bool Done() const { return done.load(std::memory_order_acquire); }
};

void Look(const std::shared_ptr<Shared>& shared, const Stores::Find& find) noexcept {
    try {
        shared->found = find([shared](const std::string& folder) { shared->SetWhere(folder); });
    } catch (...) {
        shared->failure = std::current_exception();
    }
    shared->done.store(true, std::memory_order_release);
}

// Starts `work` on a thread that no one waits for; false where none can start.
#ifdef _WIN32
DWORD WINAPI RunWork(void* parameter) noexcept {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();  // Look catches everything
    return 0;
}

bool StartBeside(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const HANDLE thread = ::CreateThread(nullptr, 0, RunWork, owned.get(), 0, nullptr);
    if (thread == nullptr) return false;
    owned.release();
    ::CloseHandle(thread);
    return true;
}
#else
bool StartBeside(std::function<void()> work) {
    try {
        std::thread(std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
#endif

}  // namespace

std::optional<stores::Found> FindBesideTheWindows(FolderWindows& windows, const Stores::Find& find,
                                                  std::chrono::milliseconds quiet) {
    const auto shared = std::make_shared<Shared>();
    if (!StartBeside([shared, find] { Look(shared, find); })) return find([](const std::string&) {});
    const auto until = std::chrono::steady_clock::now() + quiet;
    while (!shared->Done() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!shared->Done() &&
        !windows.WhileLooking([&shared] { return game_folder::LookingIn(shared->Where()); },
                              [&shared] { return shared->Done(); }))
        return std::nullopt;
    while (!shared->Done()) std::this_thread::sleep_for(std::chrono::milliseconds(2));  // a window that closed early
    if (shared->failure) std::rethrow_exception(shared->failure);
    return std::move(shared->found);
}

}  // namespace vornhaskel::flow
