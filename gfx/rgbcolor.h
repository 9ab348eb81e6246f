#ifndef VELUNDA_GFX_RGBCOLOR_H
#define VELUNDA_GFX_RGBCOLOR_H

// A colour of four doubles. The default constructor sets nothing: the
// palette globals start at 0.0 (static storage) until the first frame.
class RGBcolor {
public:
    RGBcolor() {}
    void setRGB(double red, double green, double blue) {
        r = red;
        g = green;
        b = blue;
        a = 1.0;
    }
    void setRGBA(double red, double green, double blue, double alpha) {
        r = red;
        g = green;
        b = blue;
        a = alpha;
    }
    double r, g, b, a;
};

#endif
