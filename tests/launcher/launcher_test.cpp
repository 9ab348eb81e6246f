// The launcher's choice of program over the recording platform.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "launcher/minimode.h"

namespace {

void startFresh(const std::vector<std::string>& startable, const std::string& folder = "/opt/velunda/") {
    resetFakePlatform();
    fakeProcess = fakeProcesses();
    fakeProcess.programFolder = folder;
    fakeProcess.startable = startable;
}

TEST(Launcher, StartsTheGameBesideItselfInMiniMode) {
    startFresh({"/opt/velunda/Velunda", "./Velunda"});
    EXPECT_EQ(miniMode(), 1);
    EXPECT_EQ(fakeProcess.starts, std::vector<std::string>({"/opt/velunda/Velunda|Velunda -m"}));
}

TEST(Launcher, FallsBackToTheWorkingDirectory) {
    startFresh({"./Velunda"});
    EXPECT_EQ(miniMode(), 1);
    EXPECT_EQ(fakeProcess.starts,
              std::vector<std::string>({"/opt/velunda/Velunda|Velunda -m", "./Velunda|Velunda -m"}));

    // Its own folder unknown: the working directory only.
    startFresh({"./Velunda"}, "");
    EXPECT_EQ(miniMode(), 1);
    EXPECT_EQ(fakeProcess.starts, std::vector<std::string>({"./Velunda|Velunda -m"}));
}

TEST(Launcher, WithNoGameAnywhereEndsWithOneAndSaysNothing) {
    startFresh({});
    EXPECT_EQ(miniMode(), 1);
    EXPECT_EQ(fakeProcess.starts.size(), 2u);
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
