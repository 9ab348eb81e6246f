// The desktop menu entries and the icon the build lays into the runtime folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "harness.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// desktop-file-validate's verdict: its output, empty when the entry is clean.
std::string validate(const std::string& entry) {
    int status = -1;
    std::string out = win::sh("desktop-file-validate " + win::quote(entry) + " 2>&1", &status);
    return status == 0 ? out : "status " + std::to_string(status) + ": " + out;
}

TEST(Desktop, TheBuildsEntriesAreCleanAndRunTheProgramsInTheRuntimeFolder) {
    const std::string runtime = VELUNDA_RUNTIME_DIR;
    for (const char* program : {"Velunda", "VelundaMini"}) {
        const std::string entry = runtime + "/" + program + ".desktop";
        EXPECT_EQ(validate(entry), "") << entry;
        const std::string text = readFile(entry);
        EXPECT_NE(text.find("\nExec=\"" + runtime + "/" + program + "\"\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nPath=" + runtime + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nIcon=" + runtime + "/velunda.png\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nCategories=Game;LogicGame;\n"), std::string::npos) << text;
    }
    // A reader decodes every pixel (checksums included): transparent
    // corners, an opaque middle.
    int status = -1;
    std::string alpha = win::sh("convert " + win::quote(runtime + "/velunda.png") +
                                    " -alpha extract -format '%w %h %[fx:p{0,0}] %[fx:p{64,64}]' info: 2>&1",
                                &status);
    EXPECT_EQ(status, 0) << alpha;
    EXPECT_EQ(alpha, "128 128 0 1");
}

// A folder name that needs every escape an entry has: the space and quotes
// of the Exec quoting, '$' and '`' for the shell, '%' of the field codes
// and the backslash of both.
TEST(Desktop, EntriesNameAnyFolderTheyCanHold) {
    char pattern[] = "/tmp/velunda-desktop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string folder = root + "/my \"games\" $HOME `x` 100% a\\b";
    win::sh("mkdir -p " + win::quote(folder));
    int status = -1;
    std::string out = win::sh(win::quote(VELUNDA_DESKTOP) + " " + win::quote(folder) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(validate(folder + "/Velunda.desktop"), "");
    EXPECT_EQ(validate(folder + "/VelundaMini.desktop"), "");
    const std::string text = readFile(folder + "/VelundaMini.desktop");
    EXPECT_NE(text.find("\nExec=\"" + root + "/my \\\\\"games\\\\\" \\\\$HOME \\\\`x\\\\` 100%% a\\\\\\\\b/VelundaMini\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nPath=" + root + "/my \"games\" $HOME `x` 100% a\\\\b\n"), std::string::npos) << text;

    // A name an entry cannot carry: the build goes on without entries.
    const std::string unfit = root + "/line\nbreak";
    win::sh("mkdir -p " + win::quote(unfit));
    out = win::sh(win::quote(VELUNDA_DESKTOP) + " " + win::quote(unfit) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("no menu entries"), std::string::npos) << out;
    EXPECT_EQ(readFile(unfit + "/Velunda.desktop"), "");
    EXPECT_NE(readFile(unfit + "/velunda.png"), "");
    win::sh("rm -rf " + win::quote(root));
}

}  // namespace
