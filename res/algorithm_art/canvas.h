// A pixel canvas with the few drawing operations the algorithm pictures need: 1-pixel lines,
// filled rectangles, arrowheads and text in the 5x9 font. Colours have 5 bits per channel so
// the 16-bit and the 24-bit pictures show exactly the same colours.
#pragma once

#include "font5x9.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct rgb5 {
    uint8_t r, g, b; // 0-31 each
    bool operator==(const rgb5&) const = default;
};

class canvas {
  public:
    canvas(int width, int height, rgb5 background)
        : width_(width), height_(height),
          pixels_(static_cast<std::size_t>(width * height), background) {}

    int width() const { return width_; }
    int height() const { return height_; }

    // Row 0 is the top row.
    rgb5 at(int x, int y) const { return pixels_[index(x, y)]; }

    void set(int x, int y, rgb5 c) { pixels_[index(x, y)] = c; }

    void hline(int x0, int x1, int y, rgb5 c) {
        for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
            set(x, y, c);
    }

    void vline(int x, int y0, int y1, rgb5 c) {
        for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
            set(x, y, c);
    }

    void fill(int x, int y, int w, int h, rgb5 c) {
        for (int row = y; row < y + h; ++row)
            hline(x, x + w - 1, row, c);
    }

    void frame(int x, int y, int w, int h, rgb5 c) {
        hline(x, x + w - 1, y, c);
        hline(x, x + w - 1, y + h - 1, c);
        vline(x, y, y + h - 1, c);
        vline(x + w - 1, y, y + h - 1, c);
    }

    // Solid triangle pointing left with its tip at (x, y); `length` columns, each one pixel
    // taller on both sides than the one before.
    void arrow_left(int x, int y, int length, rgb5 c) {
        for (int k = 0; k < length; ++k)
            vline(x + k, y - k, y + k, c);
    }

    // Width in pixels of `text`: each glyph is as wide as its inked columns, one blank column
    // between glyphs, three for a space.
    static int text_width(std::string_view text, int weight = 1) {
        int width = 0;
        for (char ch : text)
            width += advance(ch, weight);
        return width > 0 ? width - 1 : 0;
    }

    // Draws `text` with its top row at y. Weight 2 draws each glyph twice, one pixel apart,
    // for a bold caption.
    void text(int x, int y, std::string_view s, rgb5 c, int weight = 1) {
        for (char ch : s) {
            const font5x9::glyph& g = glyph_of(ch);
            const auto [first, last] = inked_columns(g);
            for (int row = 0; row < font5x9::rows; ++row)
                for (int col = first; col <= last; ++col)
                    if (font5x9::inked(g, row, col))
                        for (int w = 0; w < weight; ++w)
                            set(x + col - first + w, y + row, c);
            x += advance(ch, weight);
        }
    }

  private:
    std::size_t index(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            throw std::out_of_range("pixel outside the picture: " + std::to_string(x) + "," +
                                    std::to_string(y));
        return static_cast<std::size_t>(y * width_ + x);
    }

    static const font5x9::glyph& glyph_of(char ch) {
        const font5x9::glyph* g = font5x9::find(ch);
        if (g == nullptr)
            throw std::invalid_argument(std::string("no glyph for '") + ch + "'");
        return *g;
    }

    struct column_span {
        int first, last;
    };

    static column_span inked_columns(const font5x9::glyph& g) {
        column_span span{font5x9::columns, -1};
        for (int row = 0; row < font5x9::rows; ++row)
            for (int col = 0; col < font5x9::columns; ++col)
                if (font5x9::inked(g, row, col)) {
                    span.first = std::min(span.first, col);
                    span.last = std::max(span.last, col);
                }
        return span;
    }

    static int advance(char ch, int weight) {
        const column_span span = inked_columns(glyph_of(ch));
        if (span.last < 0)
            return 3;
        return span.last - span.first + 1 + weight;
    }

    int width_, height_;
    std::vector<rgb5> pixels_;
};
