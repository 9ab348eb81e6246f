#include "harness.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace win {

std::string sh(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status) *status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int result = pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

std::string quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int nowMs() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

Scratch::Scratch() {
    dir = sh("mktemp -d /tmp/velunda-window-XXXXXX");
    while (!dir.empty() && (dir.back() == '\n')) dir.pop_back();
    const std::string runtime = VELUNDA_RUNTIME_DIR;
    // The sample games only: a quit state or saved games in the runtime
    // folder are a player's, not part of any test.
    sh("mkdir -p " + quote(dir + "/games") + " " + quote(dir + "/Graphics") + "; cp -r " +
       quote(runtime + "/Graphics") + " " + quote(dir) + " 2>/dev/null; cp " + quote(runtime + "/games") +
       "/sample-*.sdk " + quote(dir + "/games") + " 2>/dev/null");
}

Scratch::~Scratch() {
    if (std::getenv("VELUNDA_KEEP_SCRATCH") == nullptr) sh("rm -rf " + quote(dir));
}

void Scratch::write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
}

std::string Scratch::read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

Game::Game(const Scratch& folder, const std::string& arguments, const std::string& program) {
    logFile = folder.path(program + ".log");
    const std::string exe = std::string(VELUNDA_RUNTIME_DIR) + "/" + program;
    std::string out = sh("cd " + quote(folder.dir) + " && { " + quote(exe) + " " + arguments + " >" +
                         quote(logFile) + " 2>&1 & echo $!; }");
    pid = std::atoi(out.c_str());
}

Game::~Game() {
    if (running()) {
        sh("kill " + std::to_string(pid) + " 2>/dev/null");
        if (waitExit(2000) == -1) sh("kill -9 " + std::to_string(pid) + " 2>/dev/null");
    }
}

bool Game::running() const {
    if (pid <= 0) return false;
    int status = 0;
    // A process that ended but was not yet reaped by init still shows as a zombie.
    std::string state = sh("ps -o stat= -p " + std::to_string(pid) + " 2>/dev/null", &status);
    return status == 0 && !state.empty() && state[0] != 'Z';
}

int Game::waitExit(int timeoutMs) {
    int start = nowMs();
    while (running()) {
        if (nowMs() - start > timeoutMs) return -1;
        sleepMs(20);
    }
    return 0;
}

unsigned long Game::waitWindow(int timeoutMs, const std::string& title) {
    int start = nowMs();
    while (nowMs() - start < timeoutMs) {
        // This process's window only: the last test's may not be gone yet.
        std::string out = sh("timeout 10 xdotool search --all --pid " + std::to_string(pid) + " --name " +
                             quote("^" + title + "$") + " 2>/dev/null");
        if (!out.empty()) {
            window = std::strtoul(out.c_str(), nullptr, 10);
            // Mapped and drawn at least once.
            if (sh("timeout 10 xwininfo -id " + std::to_string(window) + " 2>/dev/null").find("IsViewable") !=
                std::string::npos)
                return window;
        }
        if (!running()) break;
        sleepMs(50);
    }
    return window = 0;
}

std::string Game::log() const {
    return sh("cat " + quote(logFile) + " 2>/dev/null");
}

std::string Game::report() const {
    return "game " + std::string(running() ? "still running" : "not running") + ", its output:\n" + log() +
           "\n" + displayReport();
}

std::string displayReport() {
    static int shots = 0;
    const std::string shot = std::string(VELUNDA_ARTEFACTS) + "/failure-" + std::to_string(getpid()) + "-" +
                             std::to_string(++shots) + ".png";
    int status = 0;
    sh("timeout 20 import -silent -window root " + quote(shot) + " 2>/dev/null", &status);
    // Where the keys go: a key sent while another window holds the focus is lost.
    return "active window: " + sh("timeout 10 xdotool getactivewindow 2>&1") +
           "input focus: " + sh("timeout 10 xdotool getwindowfocus 2>&1") + "xwininfo -tree -root:\n" +
           sh("timeout 10 xwininfo -tree -root 2>&1") + "screenshot: " +
           (status == 0 ? shot : "(none taken)") + "\n";
}

Geometry geometry(unsigned long window) {
    Geometry g;
    std::string info = sh("timeout 10 xwininfo -id " + std::to_string(window) + " 2>/dev/null");
    std::istringstream lines(info);
    std::string line;
    int fields = 0;
    while (std::getline(lines, line)) {
        auto value = [&](const char* label, int* out) {
            size_t at = line.find(label);
            if (at != std::string::npos) {
                *out = std::atoi(line.c_str() + at + std::string(label).size());
                fields++;
            }
        };
        value("Absolute upper-left X:", &g.x);
        value("Absolute upper-left Y:", &g.y);
        value("Width:", &g.width);
        value("Height:", &g.height);
    }
    g.found = fields == 4;
    return g;
}

Image screenshot(unsigned long window) {
    Image image;
    // Cut from the root window: grabbing the window itself can wait forever
    // for an event when the window manager is just then changing its frame.
    Geometry g = geometry(window);
    if (!g.found || g.width <= 0 || g.height <= 0) return image;
    std::string ppm = sh("timeout 20 import -silent -window root -crop " + std::to_string(g.width) + "x" +
                         std::to_string(g.height) + "+" + std::to_string(g.x) + "+" + std::to_string(g.y) +
                         " +repage -depth 8 ppm:- 2>/dev/null");
    // Binary PPM: "P6\n<w> <h>\n255\n" then RGB triples.
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> image.width >> image.height >> maxValue;
    if (magic != "P6" || maxValue != 255) return Image();
    in.get();
    size_t offset = static_cast<size_t>(in.tellg());
    size_t bytes = static_cast<size_t>(image.width) * image.height * 3;
    if (ppm.size() < offset + bytes) return Image();
    image.rgb.assign(ppm.begin() + offset, ppm.begin() + offset + bytes);
    return image;
}

Pixel Image::at(int x, int y) const {
    Pixel p;
    if (x < 0 || y < 0 || x >= width || y >= height) return p;
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    p.r = rgb[i];
    p.g = rgb[i + 1];
    p.b = rgb[i + 2];
    return p;
}

bool Image::save(const std::string& file) const {
    return savePng(file, width, height, rgb);
}

bool savePng(const std::string& file, int width, int height, const std::vector<unsigned char>& rgb) {
    if (width <= 0 || height <= 0) return false;
    FILE* pipe = popen(("convert ppm:- " + quote(file)).c_str(), "w");
    if (pipe == nullptr) return false;
    std::fprintf(pipe, "P6\n%d %d\n255\n", width, height);
    std::fwrite(rgb.data(), 1, rgb.size(), pipe);
    return pclose(pipe) == 0;
}

void click(unsigned long window, int x, int y, int button) {
    move(window, x, y);
    sh("timeout 10 xdotool click " + std::to_string(button));
}

void move(unsigned long window, int x, int y) {
    // --sync waits for the pointer to move, and so waits out its time limit
    // when the pointer is already at the place.
    const Geometry g = geometry(window);
    std::istringstream at(sh("timeout 10 xdotool getmouselocation --shell 2>/dev/null"));
    std::string line;
    int pointerX = -1, pointerY = -1;
    while (std::getline(at, line)) {
        if (line.compare(0, 2, "X=") == 0) pointerX = std::atoi(line.c_str() + 2);
        if (line.compare(0, 2, "Y=") == 0) pointerY = std::atoi(line.c_str() + 2);
    }
    if (g.found && pointerX == g.x + x && pointerY == g.y + y) return;
    sh("timeout 10 xdotool mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) + " " +
       std::to_string(y));
}

void key(unsigned long window, const std::string& keys) {
    sh("timeout 10 xdotool windowactivate --sync " + std::to_string(window) + " 2>/dev/null; timeout 10 xdotool key " +
       keys);
}

void type(unsigned long window, const std::string& text) {
    sh("timeout 10 xdotool windowactivate --sync " + std::to_string(window) +
       " 2>/dev/null; timeout 10 xdotool type " + quote(text));
}

}  // namespace win

namespace win {

static std::string realPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
}

int windowOwnerIn(const std::string& folder, int timeoutMs, const std::string& title) {
    const std::string wanted = realPath(folder);
    for (int start = nowMs(); nowMs() - start < timeoutMs; sleepMs(100)) {
        std::istringstream ids(sh("timeout 10 xdotool search --all --name " + quote("^" + title + "$") +
                                  " 2>/dev/null"));
        std::string id;
        while (ids >> id) {
            const int owner = std::atoi(sh("timeout 10 xdotool getwindowpid " + id + " 2>/dev/null").c_str());
            if (owner <= 0 || realPath("/proc/" + std::to_string(owner) + "/cwd") != wanted) continue;
            if (sh("timeout 10 xwininfo -id " + id + " 2>/dev/null").find("IsViewable") != std::string::npos)
                return owner;
        }
    }
    return 0;
}

}  // namespace win
