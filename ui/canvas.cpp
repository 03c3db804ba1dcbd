#include "ui/canvas.h"

#include <algorithm>
#include <cmath>

namespace kvr::ui {

namespace {

constexpr int kSamples = 4;  // per axis: 16 samples a pixel smooth the edges enough at 16 px

double channel(std::uint32_t color, int shift) {
    return static_cast<double>((color >> shift) & 0xFF);
}

}  // namespace

Canvas::Canvas(int size)
    : size_(std::max(size, 1)),
      scale_(static_cast<double>(size_) / 16.0),
      pixels_(static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_), 0) {}

template <class Inside>
void Canvas::fill(double left, double top, double right, double bottom, std::uint32_t color,
                  Inside inside) {
    const int x0 = std::max(0, static_cast<int>(std::floor(left * scale_)));
    const int y0 = std::max(0, static_cast<int>(std::floor(top * scale_)));
    const int x1 = std::min(size_, static_cast<int>(std::ceil(right * scale_)));
    const int y1 = std::min(size_, static_cast<int>(std::ceil(bottom * scale_)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = (x + (sx + 0.5) / kSamples) / scale_;
                    const double py = (y + (sy + 0.5) / kSamples) / scale_;
                    if (inside(px, py)) ++hits;
                }
            if (hits) blend(x, y, color, static_cast<double>(hits) / (kSamples * kSamples));
        }
    }
}

// Source over destination, both straight (not premultiplied) alpha.
void Canvas::blend(int x, int y, std::uint32_t color, double coverage) {
    std::uint32_t& out = pixels_[static_cast<std::size_t>(y * size_ + x)];
    const double sa = channel(color, 24) / 255.0 * coverage;
    const double da = channel(out, 24) / 255.0;
    const double oa = sa + da * (1 - sa);
    if (oa <= 0) return;
    std::uint32_t result = static_cast<std::uint32_t>(std::lround(oa * 255)) << 24;
    for (int shift : {16, 8, 0}) {
        const double c = (channel(color, shift) * sa + channel(out, shift) * da * (1 - sa)) / oa;
        result |= static_cast<std::uint32_t>(std::lround(std::clamp(c, 0.0, 255.0))) << shift;
    }
    out = result;
}

void Canvas::fillRect(double left, double top, double right, double bottom, std::uint32_t color) {
    fill(left, top, right, bottom, color,
         [&](double x, double y) { return x >= left && x < right && y >= top && y < bottom; });
}

void Canvas::frameRect(double left, double top, double right, double bottom, double width,
                       std::uint32_t color) {
    fillRect(left, top, right, top + width, color);
    fillRect(left, bottom - width, right, bottom, color);
    fillRect(left, top + width, left + width, bottom - width, color);
    fillRect(right - width, top + width, right, bottom - width, color);
}

void Canvas::fillPolygon(const std::vector<Point>& points, std::uint32_t color) {
    if (points.size() < 3) return;
    double left = points[0].x, right = left, top = points[0].y, bottom = top;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    fill(left, top, right, bottom, color, [&](double x, double y) {
        bool in = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point& a = points[i];
            const Point& b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    });
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, std::uint32_t color) {
    if (rx <= 0 || ry <= 0) return;
    fill(cx - rx, cy - ry, cx + rx, cy + ry, color, [&](double x, double y) {
        const double dx = (x - cx) / rx;
        const double dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0;
    });
}

void Canvas::line(Point from, Point to, double width, std::uint32_t color) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (length <= 0) return;
    const double nx = -dy / length * width / 2;
    const double ny = dx / length * width / 2;
    fillPolygon({{from.x + nx, from.y + ny},
                 {to.x + nx, to.y + ny},
                 {to.x - nx, to.y - ny},
                 {from.x - nx, from.y - ny}},
                color);
}

}  // namespace kvr::ui

namespace kvr::ui {

// Bilinear over premultiplied colour, so transparent pixels do not bleed their colour.
std::vector<std::uint32_t> resample(const std::vector<std::uint32_t>& pixels, int from, int to) {
    if (from <= 0 || to <= 0) return {};
    const auto fromCount = static_cast<std::size_t>(from) * static_cast<std::size_t>(from);
    if (pixels.size() < fromCount)
        return std::vector<std::uint32_t>(
            static_cast<std::size_t>(to) * static_cast<std::size_t>(to), 0);
    if (from == to)
        return {pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(fromCount)};
    struct Premultiplied {
        double a, r, g, b;
    };
    std::vector<Premultiplied> source(fromCount);
    for (std::size_t i = 0; i < fromCount; ++i) {
        const double a = channel(pixels[i], 24) / 255.0;
        source[i] = {a, channel(pixels[i], 16) * a, channel(pixels[i], 8) * a,
                     channel(pixels[i], 0) * a};
    }
    const auto sample = [&](int x, int y) -> const Premultiplied& {
        x = std::clamp(x, 0, from - 1);
        y = std::clamp(y, 0, from - 1);
        return source[static_cast<std::size_t>(y * from + x)];
    };
    std::vector<std::uint32_t> out(static_cast<std::size_t>(to) * static_cast<std::size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (int y = 0; y < to; ++y) {
        for (int x = 0; x < to; ++x) {
            const double sx = (x + 0.5) * ratio - 0.5;
            const double sy = (y + 0.5) * ratio - 0.5;
            const int x0 = static_cast<int>(std::floor(sx));
            const int y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0;
            const double fy = sy - y0;
            Premultiplied p{0, 0, 0, 0};
            const std::pair<Premultiplied, double> taps[] = {{sample(x0, y0), (1 - fx) * (1 - fy)},
                                                             {sample(x0 + 1, y0), fx * (1 - fy)},
                                                             {sample(x0, y0 + 1), (1 - fx) * fy},
                                                             {sample(x0 + 1, y0 + 1), fx * fy}};
            for (const auto& [t, w] : taps) {
                p.a += t.a * w;
                p.r += t.r * w;
                p.g += t.g * w;
                p.b += t.b * w;
            }
            std::uint32_t result = 0;
            if (p.a > 0) {
                const auto byte = [](double v) {
                    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
                };
                result = byte(p.a * 255) << 24 | byte(p.r / p.a) << 16 | byte(p.g / p.a) << 8 |
                         byte(p.b / p.a);
            }
            out[static_cast<std::size_t>(y * to + x)] = result;
        }
    }
    return out;
}

}  // namespace kvr::ui
