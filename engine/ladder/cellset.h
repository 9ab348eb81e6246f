// A set of the 81 cells (row * 9 + column) in two machine words, and the
// grid's geometry as such sets: the ladder's techniques are mostly unions,
// intersections and counts of these.
#ifndef VELUNDA_ENGINE_LADDER_CELLSET_H
#define VELUNDA_ENGINE_LADDER_CELLSET_H

#include <cstdint>

// Bits set in a word. The processors Debian builds for need not count bits
// in one instruction, and the compiler's fallback is a library call: the
// ladder counts bits in its inner loops, so it counts them inline.
inline int popCount64(uint64_t x) {
#ifdef __POPCNT__
    return __builtin_popcountll(x);
#else
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
#endif
}

// The bits of every 9-bit mask (a cell's digits, a digit's lines): the
// ladder counts these far more often than anything wider.
struct nineBitCounts {
    unsigned char of[512];
    constexpr nineBitCounts() : of() {
        for (int m = 1; m < 512; m++) of[m] = static_cast<unsigned char>(of[m / 2] + (m & 1));
    }
};
inline constexpr nineBitCounts kNineBitCounts{};

struct cellSet {
    uint64_t lo = 0;  // cells 0..63
    uint64_t hi = 0;  // cells 64..80 in bits 0..16

    static cellSet of(int cell) {
        cellSet s;
        s.add(cell);
        return s;
    }
    // All 81 cells.
    static cellSet all() { return cellSet(~uint64_t(0), (uint64_t(1) << 17) - 1); }
    bool has(int cell) const { return cell < 64 ? (lo >> cell) & 1 : (hi >> (cell - 64)) & 1; }
    void add(int cell) {
        if (cell < 64) lo |= uint64_t(1) << cell;
        else hi |= uint64_t(1) << (cell - 64);
    }
    void del(int cell) {
        if (cell < 64) lo &= ~(uint64_t(1) << cell);
        else hi &= ~(uint64_t(1) << (cell - 64));
    }
    bool empty() const { return (lo | hi) == 0; }
    bool any() const { return (lo | hi) != 0; }
    int count() const {
        return popCount64(lo) + kNineBitCounts.of[hi & 0x1FF] + kNineBitCounts.of[(hi >> 9) & 0x1FF];
    }
    // Exactly one cell.
    bool single() const { return lo ? (lo & (lo - 1)) == 0 && hi == 0 : hi && (hi & (hi - 1)) == 0; }
    // The lowest cell, or -1.
    int first() const { return lo ? __builtin_ctzll(lo) : hi ? 64 + __builtin_ctzll(hi) : -1; }
    // Takes the lowest cell out and returns it, or -1.
    int pop() {
        if (lo) {
            const int c = __builtin_ctzll(lo);
            lo &= lo - 1;
            return c;
        }
        if (hi) {
            const int c = 64 + __builtin_ctzll(hi);
            hi &= hi - 1;
            return c;
        }
        return -1;
    }
    bool within(const cellSet& o) const { return (lo & ~o.lo) == 0 && (hi & ~o.hi) == 0; }
    bool meets(const cellSet& o) const { return ((lo & o.lo) | (hi & o.hi)) != 0; }

    cellSet operator&(const cellSet& o) const { return {lo & o.lo, hi & o.hi}; }
    cellSet operator|(const cellSet& o) const { return {lo | o.lo, hi | o.hi}; }
    cellSet operator^(const cellSet& o) const { return {lo ^ o.lo, hi ^ o.hi}; }
    cellSet minus(const cellSet& o) const { return {lo & ~o.lo, hi & ~o.hi}; }
    cellSet& operator&=(const cellSet& o) {
        lo &= o.lo;
        hi &= o.hi;
        return *this;
    }
    cellSet& operator|=(const cellSet& o) {
        lo |= o.lo;
        hi |= o.hi;
        return *this;
    }
    bool operator==(const cellSet& o) const { return lo == o.lo && hi == o.hi; }
    bool operator!=(const cellSet& o) const { return !(*this == o); }

    cellSet(uint64_t l = 0, uint64_t h = 0) : lo(l), hi(h) {}
};

// Units 0..8 are the rows, 9..17 the columns, 18..26 the boxes.
const int kRowUnit = 0, kColumnUnit = 9, kBoxUnit = 18;

struct ladderGeometry {
    unsigned char unitCell[27][9];  // in reading order
    cellSet unit[27];
    cellSet peers[81];              // the 20 cells that see a cell
    unsigned char cellUnit[81][3];  // its row, column and box unit
    ladderGeometry();
};

extern const ladderGeometry kGeometry;

inline int rowOf(int cell) {
    return cell / 9;
}
inline int columnOf(int cell) {
    return cell % 9;
}
inline int boxOf(int cell) {
    return (cell / 27) * 3 + (cell % 9) / 3;
}
inline bool sees(int a, int b) {
    return a != b && kGeometry.peers[a].has(b);
}
// The cells that see every cell of s (none of s itself).
inline cellSet seeingAll(cellSet s) {
    cellSet out = cellSet::all();
    for (int c = s.pop(); c >= 0; c = s.pop()) out &= kGeometry.peers[c];
    return out;
}

inline int bitCount(unsigned mask) {
    return mask < 512 ? kNineBitCounts.of[mask] : popCount64(mask);
}
inline int lowBit(unsigned mask) {
    return __builtin_ctz(mask);
}

#endif
