// A small anti-aliased painter for the program's own glyphs: shapes are given on a 16-unit
// grid and come out at any pixel size, so one drawing serves every screen scale.
#pragma once

#include <cstdint>
#include <vector>

namespace kvr::ui {

struct Point {
    double x = 0;
    double y = 0;
};

class Canvas {
public:
    // size x size pixels, all transparent.
    explicit Canvas(int size);

    int size() const { return size_; }
    // 32-bit BGRA, not premultiplied, top row first (as ImageList takes it).
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::uint32_t at(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y * size_ + x)];
    }

    // Colours are 0xAARRGGBB. Coordinates are grid units: (0,0) top left, (16,16) bottom right.
    void fillRect(double left, double top, double right, double bottom, std::uint32_t color);
    void frameRect(double left, double top, double right, double bottom, double width,
                   std::uint32_t color);
    // Even-odd rule.
    void fillPolygon(const std::vector<Point>& points, std::uint32_t color);
    void fillEllipse(double cx, double cy, double rx, double ry, std::uint32_t color);
    void line(Point from, Point to, double width, std::uint32_t color);

private:
    template <class Inside>
    void fill(double left, double top, double right, double bottom, std::uint32_t color,
              Inside inside);
    void blend(int x, int y, std::uint32_t color, double coverage);

    int size_;
    double scale_;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace kvr::ui

namespace kvr::ui {

// A square BGRA image of from x from pixels (straight alpha) smoothly rescaled to to x to.
std::vector<std::uint32_t> resample(const std::vector<std::uint32_t>& pixels, int from, int to);

}  // namespace kvr::ui
