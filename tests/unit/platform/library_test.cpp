#include "platform/library.h"

#include <gtest/gtest.h>

#include "platform/files.h"

using namespace platform;

TEST(Library, FindsItsOwnFolderAndSaysWhyALibraryOrSymbolIsMissing) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + "test_platform"));

    struct Case {
        const char* library;
        const char* symbol;
        bool found;
    } cases[] = {
        {"libc.so.6", "getpid", true},
        {"libc.so.6", "NoSuchSymbolAnywhere", false},
        {"/no/such/libchimewick-gui.so", "ChimewickRunApplication", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.symbol);
        std::string error;
        void* address = LoadLibrarySymbol(c.library, c.symbol, error);
        EXPECT_EQ(address != nullptr, c.found);
        // The reason is all songsifter can tell a user whose window library will not load.
        EXPECT_EQ(error.empty(), c.found) << error;
    }
}
