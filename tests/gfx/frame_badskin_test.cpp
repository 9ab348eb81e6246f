// A game whose skin files are damaged or missing: the frame is drawn
// without the picture, and the first-frame set-up is not repeated.
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/globals.h"
#include "bmp_files.h"
#include "fake_platform.h"
#include "glcapture.h"
#include "screen/frame.h"

namespace {

TEST(FrameWithoutSkins, DrawsWithoutThePictureAndSetsUpOnce) {
    bmp::Folder folder;
    std::system(("mkdir -p '" + folder.dir + "/Graphics'").c_str());
    // Announces 400 x 500 pixels and ends after a few of them; no WBoard.bmp.
    bmp::Header s;
    s.width = 400;
    s.height = 500;
    folder.write("Graphics/Board.bmp", bmp::headers(s) + std::string(3000, '\x40'));
    ASSERT_EQ(chdir(folder.dir.c_str()), 0);
    resetFakePlatform();
    testing::internal::CaptureStdout();
    gl::openWindow(400, 500);
    for (int i = 0; i < 5; i++) {
        fake.clock += 50;
        EasyRender();
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Skin0, 0u);
    EXPECT_EQ(Skin1, 0u);
    // A player dragging the window is not pulled back, and no texture is
    // made again and again.
    EXPECT_EQ(fakeCallCount("move"), 1);
    EXPECT_EQ(fakeCallCount("borderless"), 1);

    for (int mode : {0, 1}) {
        skinMode = mode;
        gl::clear();
        drawBackground();
        gl::Frame f = gl::readBack();
        EXPECT_EQ(f.count(0, 0, 399, 499, [](gl::Rgb p) { return p == gl::Rgb{255, 255, 255}; }), 400 * 500);
    }
}

}  // namespace
