#include "platform/win32/icon_pixels.h"

#include <algorithm>

namespace kvr::platform::win32 {

namespace {

// The icon drawn over black and over white into 32-bit DIB sections: what differs between the
// two is the icon's transparency, so one rule serves icons with an alpha channel and icons with
// only a mask alike.
bool drawOn(HICON icon, int size, std::uint32_t background, std::vector<std::uint32_t>& out) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool drawn = false;
    if (dc && bitmap && bits) {
        const auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
        auto* pixels = static_cast<std::uint32_t*>(bits);
        std::fill(pixels, pixels + count, background);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        drawn = DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != FALSE;
        GdiFlush();
        out.assign(pixels, pixels + count);
        SelectObject(dc, previous);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return drawn;
}

}  // namespace

std::vector<std::uint32_t> iconPixels(HICON icon, int size) {
    if (!icon || size <= 0) return {};
    std::vector<std::uint32_t> black, white;
    bool drawn = drawOn(icon, size, 0xFF000000u, black) && drawOn(icon, size, 0xFFFFFFFFu, white);
    if (!drawn) return {};
    std::vector<std::uint32_t> out(black.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        std::uint32_t pixel = 0;
        // Over black a channel shows colour x alpha; over white it shows that plus 1 - alpha.
        const int alpha =
            255 - (static_cast<int>(white[i] >> 8 & 0xFF) - static_cast<int>(black[i] >> 8 & 0xFF));
        if (alpha > 0) {
            pixel = static_cast<std::uint32_t>(std::min(alpha, 255)) << 24;
            for (int shift : {16, 8, 0}) {
                const int premultiplied = static_cast<int>(black[i] >> shift & 0xFF);
                const int straight = std::min(255, premultiplied * 255 / alpha);
                pixel |= static_cast<std::uint32_t>(straight) << shift;
            }
        }
        out[i] = pixel;
    }
    return out;
}

}  // namespace kvr::platform::win32
