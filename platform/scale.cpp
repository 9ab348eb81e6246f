// The window's scale on high-density screens, from the environment and the
// X resources the desktop sets.
#include "platform.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int largestScale = 3;

// A whole number of 1 or more, as at most largestScale; 0 for anything else.
int wholeScale(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') return 0;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1) return 0;
    return value > largestScale ? largestScale : static_cast<int>(value);
}

// Xft.dpi in whole multiples of the 96 dpi of a plain screen.
int dpiScale(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') return 0;
    char* end = nullptr;
    double dpi = std::strtod(text, &end);
    if (*end != '\0' || dpi < 96) return 0;
    int scale = static_cast<int>(dpi / 96);
    return scale > largestScale ? largestScale : scale;
}

// The display's Xft.dpi resource, empty when there is none.
std::string displayDpi() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return "";
    std::string dpi;
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        XrmDatabase database = XrmGetStringDatabase(resources);
        char* type = nullptr;
        XrmValue value;
        if (database != nullptr && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) &&
            value.addr != nullptr)
            dpi.assign(value.addr, strnlen(value.addr, value.size));
        if (database != nullptr) XrmDestroyDatabase(database);
    }
    XCloseDisplay(display);
    return dpi;
}

}  // namespace

int chooseDisplayScale(const char* velundaScale, const char* gdkScale, const char* xftDpi) {
    if (int scale = wholeScale(velundaScale)) return scale;
    if (int scale = wholeScale(gdkScale)) return scale;
    if (int scale = dpiScale(xftDpi)) return scale;
    return 1;
}

int platformDisplayScale() {
    const char* velunda = std::getenv("VELUNDA_SCALE");
    const char* gdk = std::getenv("GDK_SCALE");
    // The display is asked only when neither variable counts.
    if (wholeScale(velunda) != 0 || wholeScale(gdk) != 0) return chooseDisplayScale(velunda, gdk, nullptr);
    return chooseDisplayScale(nullptr, nullptr, displayDpi().c_str());
}
