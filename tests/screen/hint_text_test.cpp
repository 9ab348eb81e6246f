// Every text the hint key can show fits the message box in both window
// sizes: a step of each technique (from the ladder's examples) and the
// hint's own messages, measured in the font each size draws them in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/ladder_test_util.h"
#include "input/hint.h"
#include "screen_test_util.h"

namespace {

using namespace screentest;

std::vector<std::string> hintTexts() {
    std::vector<std::string> texts = {kHintNoSolution, kHintSeveral, kHintNoStep};
    char wrong[64];
    std::snprintf(wrong, sizeof wrong, kHintWrongEntry, "r9c9");
    texts.push_back(wrong);
    std::ifstream in(VELUNDA_LADDER_EXAMPLES);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string key, state;
        words >> key >> state;
        ladderGrid g;
        if (!laddertest::parseState(state, &g)) continue;
        for (int t = 0; t < kLadderTechniques; t++) {
            ladderStep step;
            if (key == ladderInfo(t).key && ladderTry(t, g, &step)) texts.push_back(ladderShortText(step));
        }
    }
    return texts;
}

TEST(HintText, FitsTheMessageBoxInBothSizes) {
    const std::vector<std::string> texts = hintTexts();
    ASSERT_GT(texts.size(), static_cast<size_t>(kLadderTechniques));
    for (bool mini : {false, true}) {
        useMode(mini);
        resetScreenGlobals();
        // The text starts 15 units into the box; the frame is 3 units wide.
        const int room = (myMessageBox.x2 - 3 - myMessageBox.x1 - 15) / (mini ? 2 : 1);
        for (const std::string& text : texts)
            EXPECT_LE(textWidth(text.c_str(), fontSize, fontFace), room) << (mini ? "small window: " : "") << text;
    }
}

}  // namespace
