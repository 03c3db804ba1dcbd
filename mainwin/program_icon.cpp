#include "mainwin/program_icon.h"

#include "ui/canvas.h"

namespace kvr {

namespace {

constexpr std::uint32_t kTile = 0xFF1F5FA8;
constexpr std::uint32_t kTileEdge = 0xFF143F72;
constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kTitle = 0xFFF2A93B;
constexpr std::uint32_t kShade = 0xFF0E2A4D;

// A window on a blue tile, its lower right half drawn away under a dark sheet: a window
// being hidden.
void draw(ui::Canvas& c) {
    c.fillRect(1, 1, 15, 15, kTileEdge);
    c.fillRect(2, 2, 14, 14, kTile);
    c.fillRect(3, 3, 13, 13, kPaper);
    c.fillRect(3, 3, 13, 6, kTitle);
    c.fillPolygon({{14, 4.5}, {14, 14}, {4.5, 14}}, kTile);
    c.fillPolygon({{15, 6}, {15, 15}, {6, 15}}, kShade);
}

void put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint32_t> ProgramIcon(int size) {
    ui::Canvas canvas(size);
    draw(canvas);
    return canvas.pixels();
}

std::string ProgramIconFile(const std::vector<int>& sizes) {
    std::vector<std::string> images;
    for (const int size : sizes) {
        const std::vector<std::uint32_t> pixels = ProgramIcon(size);
        const auto n = static_cast<std::uint32_t>(size);
        const std::uint32_t maskStride = (n + 31) / 32 * 4;
        std::string image;
        // BITMAPINFOHEADER: the height counts the colour rows and the mask's.
        put32(image, 40);
        put32(image, n);
        put32(image, 2 * n);
        put16(image, 1);
        put16(image, 32);
        put32(image, 0);  // BI_RGB
        put32(image, n * n * 4 + maskStride * n);
        for (int i = 0; i < 4; ++i) put32(image, 0);
        // Rows bottom up, as bitmaps keep them.
        for (std::uint32_t y = n; y-- > 0;)
            for (std::uint32_t x = 0; x < n; ++x) put32(image, pixels[y * n + x]);
        for (std::uint32_t y = n; y-- > 0;) {
            std::string row(maskStride, '\0');
            for (std::uint32_t x = 0; x < n; ++x)
                if ((pixels[y * n + x] >> 24) < 128)
                    row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            image += row;
        }
        images.push_back(std::move(image));
    }
    std::string file;
    put16(file, 0);
    put16(file, 1);  // an icon
    put16(file, static_cast<unsigned>(sizes.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        file.push_back(static_cast<char>(size >= 256 ? 0 : size));
        file.push_back(static_cast<char>(size >= 256 ? 0 : size));
        file.push_back(0);  // no palette
        file.push_back(0);
        put16(file, 1);   // planes
        put16(file, 32);  // bits per pixel
        put32(file, static_cast<std::uint32_t>(images[i].size()));
        put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::string& image : images) file += image;
    return file;
}

}  // namespace kvr
