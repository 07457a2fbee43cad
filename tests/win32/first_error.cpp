// A failing rename as the very first thing a program does: the error it reports
// must be the failing call's own, not one left by what ran before the throw
// (the exception's allocation, the error category's first use).
#include <cstdio>

#include "rename_file.hpp"

int main() {
    try {
        vornhaskel::RenameFile("no-such-folder\\a.wav", "no-such-folder\\b.wav");
    } catch (const vornhaskel::RenameError& failure) {
        const int code = failure.code().value();
        std::printf("%d: %s\n", code, failure.what());
        return code == 2 || code == 3 ? 0 : 1;  // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND
    }
    std::puts("the rename did not fail");
    return 1;
}
