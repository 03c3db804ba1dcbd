// The main window's toolbar as state: its buttons, their pictures and what a press does.
#include <gtest/gtest.h>

#include <set>

#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"
#include "ui/canvas.h"

namespace kvr {
namespace {

const std::vector<std::string> kCommandKeys = {
    "MostrarTitulo", "MostrarSeleccion", "MostrarTodas", "Preferencias", "Ayuda",
    "Cascada",       "MosaicoV",         "MosaicoH",     "STray",        "Salir"};

std::uint8_t alphaOf(std::uint32_t pixel) {
    return static_cast<std::uint8_t>(pixel >> 24);
}

int opaqueCount(const std::vector<std::uint32_t>& pixels) {
    int n = 0;
    for (auto p : pixels) n += alphaOf(p) >= 128;
    return n;
}

TEST(Canvas, ShapesCoverTheirAreaAndSmoothOnlyTheirEdges) {
    ui::Canvas c(16);
    c.fillRect(2, 2, 6, 6, 0xFF102030);
    EXPECT_EQ(c.at(3, 3), 0xFF102030u);
    EXPECT_EQ(c.at(6, 6), 0u);
    ui::Canvas half(16);
    half.fillRect(2.5, 0, 4, 16, 0xFF000000);  // covers half of column 2
    EXPECT_NEAR(alphaOf(half.at(2, 5)), 128, 2);
    EXPECT_EQ(alphaOf(half.at(3, 5)), 255);

    // The same drawing at 32 pixels covers four times the pixels.
    ui::Canvas big(32);
    big.fillRect(2, 2, 6, 6, 0xFF102030);
    EXPECT_EQ(opaqueCount(big.pixels()), 4 * opaqueCount(c.pixels()));

    ui::Canvas round(16);
    round.fillEllipse(8, 8, 5.5, 5.5, 0xFFFF0000);
    EXPECT_EQ(round.at(8, 8), 0xFFFF0000u);
    EXPECT_EQ(round.at(2, 2), 0u);  // corner of the bounding box, outside the circle
    const auto edge = alphaOf(round.at(13, 8));
    EXPECT_GT(edge, 0);
    EXPECT_LT(edge, 255);
}

TEST(Canvas, PaintingOverBlendsAndPolygonsUseTheEvenOddRule) {
    ui::Canvas c(16);
    c.fillRect(0, 0, 16, 16, 0xFF0000FF);
    c.fillRect(0, 0, 16, 16, 0x80FF0000);
    const std::uint32_t p = c.at(5, 5);
    EXPECT_EQ(alphaOf(p), 255);
    EXPECT_NEAR((p >> 16) & 0xFF, 128, 2);
    EXPECT_NEAR(p & 0xFF, 127, 2);

    // A square inside a square, one outline: the hole stays empty.
    ui::Canvas ring(16);
    ring.fillPolygon(
        {{0, 0}, {16, 0}, {16, 16}, {0, 16}, {0, 0}, {4, 4}, {12, 4}, {12, 12}, {4, 12}, {4, 4}},
        0xFF000000);
    EXPECT_EQ(alphaOf(ring.at(1, 8)), 255);
    EXPECT_EQ(alphaOf(ring.at(8, 8)), 0);
}

TEST(Canvas, ResampleKeepsSizeColourAndDoesNotBleedTransparentPixels) {
    std::vector<std::uint32_t> image(16 * 16, 0x00FFFFFF);  // transparent white
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) image[static_cast<std::size_t>(y * 16 + x)] = 0xFF0000FF;
    EXPECT_EQ(ui::resample(image, 16, 16), image);
    const auto up = ui::resample(image, 16, 24);
    ASSERT_EQ(up.size(), 24u * 24u);
    EXPECT_EQ(up[5 * 24 + 2], 0xFF0000FF);
    EXPECT_EQ(alphaOf(up[5 * 24 + 22]), 0);
    // Across the edge the colour stays blue while only the alpha falls.
    const std::uint32_t edge = up[5 * 24 + 12];
    EXPECT_GT(alphaOf(edge), 0);
    EXPECT_LT(alphaOf(edge), 255);
    EXPECT_EQ(edge & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(ui::resample(std::vector<std::uint32_t>(3), 16, 8).size(), 64u);  // short input
}

TEST(ImageListVariants, VariantsArePaddedAndFoundByIndex) {
    ui::Form form("frmTest", "", {});
    ui::ImageList list(form, "iml");
    EXPECT_EQ(list.add({1, 2, 3}), 1);
    const int second = list.add({}, {{24, {7}}, {32, std::vector<std::uint32_t>(2000, 9)}});
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(list.variants(1).empty());
    ASSERT_EQ(list.variants(2).size(), 2u);
    EXPECT_EQ(list.variants(2)[0].pixels.size(), 24u * 24u);
    EXPECT_EQ(list.variants(2)[0].pixels[0], 7u);
    EXPECT_EQ(list.variants(2)[1].pixels.size(), 32u * 32u);
    EXPECT_TRUE(list.variants(0).empty());
    EXPECT_TRUE(list.variants(3).empty());
    EXPECT_EQ(list.images()[0].size(), 256u);
}

TEST(ToolbarState, PressReachesOnlyEnabledButtonsOfAnEnabledToolbar) {
    ui::Form form("frmTest", "", {});
    ui::Toolbar bar(form, "tlb",
                    {{"A", "tip A", 1}, {"", "", 0, true}, {"B", "tip B", 2, false, false}});
    std::vector<std::string> pressed;
    bar.onButtonClick = [&](const ui::ToolButton& b) {
        pressed.push_back(b.key + ":" + b.toolTip);
    };
    bar.press("A");
    bar.press("B");  // disabled
    bar.press("");   // the separator's empty key
    bar.press("Z");  // no such button
    EXPECT_EQ(pressed, (std::vector<std::string>{"A:tip A"}));

    bar.setButton(2, {"B", "tip B", 2});
    bar.press("B");
    bar.setEnabled(false);
    bar.press("A");
    EXPECT_EQ(pressed, (std::vector<std::string>{"A:tip A", "B:tip B"}));

    bar.setButton(7, {"X", "", 1});  // past the end: ignored
    EXPECT_EQ(bar.buttons().size(), 3u);
}

class MainWindowToolbar : public test::MainWindowTest {};

TEST_F(MainWindowToolbar, EveryCommandHasItsOwnPictureAtEveryScale) {
    std::set<std::vector<std::uint32_t>> seen;
    for (const std::string& key : kCommandKeys) {
        for (int size : {16, 24, 32}) {
            const auto glyph = ToolbarGlyph(key, size);
            ASSERT_EQ(glyph.size(), static_cast<std::size_t>(size * size)) << key;
            // Visible, but a picture, not a filled square.
            const int opaque = opaqueCount(glyph);
            EXPECT_GT(opaque, size * size / 8) << key << " at " << size;
            EXPECT_LT(opaque, size * size) << key << " at " << size;
        }
        EXPECT_TRUE(seen.insert(ToolbarGlyph(key, 16)).second) << key << " looks like another";
    }
    EXPECT_EQ(opaqueCount(ToolbarGlyph("Unknown", 16)), 0);
}

TEST_F(MainWindowToolbar, ButtonsPointAtTheirOwnPictureWithLargerVariants) {
    ASSERT_EQ(main.tlbPpal.images, &main.imlBarraH);
    std::vector<std::string> keys;
    for (const ui::ToolButton& b : main.tlbPpal.buttons()) {
        if (b.separator) continue;
        keys.push_back(b.key);
        EXPECT_TRUE(b.enabled);
        ASSERT_GE(b.image, 1);
        ASSERT_LE(b.image, static_cast<int>(main.imlBarraH.images().size()));
        EXPECT_EQ(main.imlBarraH.images()[static_cast<std::size_t>(b.image - 1)],
                  ToolbarGlyph(b.key, 16))
            << b.key;
        std::set<int> sizes;
        for (const auto& v : main.imlBarraH.variants(b.image)) {
            sizes.insert(v.size);
            EXPECT_EQ(v.pixels, ToolbarGlyph(b.key, v.size)) << b.key << " at " << v.size;
        }
        EXPECT_TRUE(sizes.count(24)) << b.key << " has no picture for 144 dpi";
    }
    EXPECT_EQ(keys, kCommandKeys);
}

TEST_F(MainWindowToolbar, LoadTranslatesTheTipsAndTheLayoutIsAnchored) {
    main.load();
    for (const ui::ToolButton& b : main.tlbPpal.buttons()) {
        if (b.separator) continue;
        EXPECT_FALSE(b.toolTip.empty()) << b.key;
        EXPECT_FALSE(b.toolTip.size() == 4 &&
                     std::isdigit(static_cast<unsigned char>(b.toolTip[0])))
            << b.key << " keeps its code " << b.toolTip;
    }
    EXPECT_EQ(main.lsvVentanas.anchors, ui::anchor::kAll);
    EXPECT_EQ(main.cmdCerrar.anchors, ui::anchor::kRight | ui::anchor::kBottom);
    // The designed controls fit in the designed client area without overlapping.
    const ui::Rect list = main.lsvVentanas.rect();
    const ui::Rect close = main.cmdCerrar.rect();
    const ui::Rect bar = main.tlbPpal.rect();
    EXPECT_LE(bar.top + bar.height, list.top);
    EXPECT_LE(list.top + list.height, close.top);
    EXPECT_LE(close.left + close.width, main.clientSize.width);
    EXPECT_LE(close.top + close.height, main.clientSize.height);
    int columns = 0;
    for (std::size_t i = 0; i < main.lsvVentanas.columns().size(); ++i)
        columns += main.lsvVentanas.columnWidth(i);
    EXPECT_LE(columns, list.width);
    for (ui::PictureBox* box : {&main.picIcono, &main.picSysTray, &main.picIcon16})
        EXPECT_FALSE(box->visible()) << box->name();
    main.unload();
}

}  // namespace
}  // namespace kvr
