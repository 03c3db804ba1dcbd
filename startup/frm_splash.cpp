#include "startup/frm_splash.h"

#include <memory>
#include <string>

#include "base/ids.h"
#include "engine/mod_procs_kvr.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"
#include "startup/mod_mensajes.h"
#include "translation/mod_traducir.h"
#include "ui/canvas.h"

namespace kvr {

namespace {

constexpr int kWidth = 442;  // 6630 x 3630 twips at 96 dots per inch
constexpr int kHeight = 242;

ui::Font arial(double points, bool bold = false) {
    return {"Arial", points, bold};
}

constexpr std::uint32_t kTile = 0xFF22344A;
constexpr std::uint32_t kTileEdge = 0xFF3E5C80;
constexpr std::uint32_t kPaper = 0xFFFFFFFF;
constexpr std::uint32_t kTitleBar = 0xFF2F6FD0;
constexpr std::uint32_t kGhost = 0xFF7F93AA;
constexpr std::uint32_t kGold = 0xFFF2B632;
constexpr std::uint32_t kGoldDark = 0xFFB07A12;

}  // namespace

// On the 16-unit grid of ui::Canvas: a window fading behind the outline of the one it was,
// and the key that hides it.
std::vector<std::uint32_t> SplashLogo(int size) {
    ui::Canvas c(size);
    c.fillRect(0, 0, 16, 16, kTile);
    c.frameRect(0, 0, 16, 16, 0.5, kTileEdge);
    // The window that is gone: a dashed outline.
    for (double x = 6; x < 14.5; x += 1.5) {
        c.fillRect(x, 1.5, x + 0.8, 1.9, kGhost);
        c.fillRect(x, 8.6, x + 0.8, 9, kGhost);
    }
    for (double y = 1.5; y < 9; y += 1.5) {
        c.fillRect(6, y, 6.4, y + 0.8, kGhost);
        c.fillRect(14.1, y, 14.5, y + 0.8, kGhost);
    }
    // The window still there.
    c.fillRect(1.5, 3.5, 10, 10, kPaper);
    c.fillRect(1.5, 3.5, 10, 5, kTitleBar);
    c.fillRect(2.5, 6.2, 8.5, 6.8, kGhost);
    c.fillRect(2.5, 7.6, 7, 8.2, kGhost);
    // The key: bow with its hole, shaft, two bits.
    c.fillEllipse(5, 12, 2.6, 2.6, kGoldDark);
    c.fillEllipse(5, 12, 2.2, 2.2, kGold);
    c.fillEllipse(5, 12, 0.9, 0.9, kTile);
    c.fillRect(7.2, 11.3, 14.5, 12.7, kGold);
    c.fillRect(11.5, 12.7, 12.5, 14.3, kGold);
    c.fillRect(13.3, 12.7, 14.5, 13.8, kGold);
    return c.pixels();
}

frmSplash::frmSplash()
    : ui::Form("frmSplash", "KVR", {0, 0, kWidth, kHeight}),
      imgLogo(*this, "imgLogo", {16, 24, 128, 128}),
      fraBorde(*this, "fraBorde", "", {6, 4, kWidth - 12, kHeight - 10}),
      lblProductName(*this, "lblProductName", "0006", {160, 24, 264, 40}),
      lblVersion(*this, "lblVersion", "0007", {160, 68, 264, 20}),
      lblCompany(*this, "lblCompany", "0001", {160, 96, 264, 20}),
      lblCopyright(*this, "lblCopyright", "0003", {160, 124, 264, 32}),
      lblWarning(*this, "lblWarning", "0008", {16, 168, 408, 56}),
      picSplash(*this, "picSplash", 100, true) {
    // A splash is no window of its own for the user: nothing to close, move, size or find in
    // the taskbar; it goes by itself.
    borderStyle = ui::BorderStyle::None;
    showInTaskbar = false;
    minButton = false;
    maxButton = false;
    const int logo = imgLogo.rect().width;
    imgLogo.setPicture({logo, logo, SplashLogo(logo)});
    lblProductName.setFont(arial(20, true));
    lblVersion.setFont(arial(9));
    lblCompany.setFont(arial(9));
    picSplash.onTimer = [this] { picSplash_Timer(); };
}

void frmSplash::Form_Load() {
    modTraducir::TranslateForm(*this, modTraducir::LanguageFilePrefix);
    lblVersion.setCaption(lblVersion.caption() + " " + std::to_string(KVR_VERSION_MAJOR) + "." +
                          std::to_string(KVR_VERSION_MINOR) + "." +
                          std::to_string(KVR_VERSION_PATCH));
    lblWarning.setFont(arial(7));
    lblCopyright.setFont(arial(7));
    setRect({rect().left, rect().top, kWidth, kHeight});
    modGeneral::CenterForm(*this);
    bringToTop();
    if (settings::OS != 0) show();
}

bool frmSplash::Form_QueryUnload(ui::UnloadMode mode) {
    return mode == ui::UnloadMode::ControlMenu;
}

void frmSplash::picSplash_Timer() {
    if (handingOver_ || handOverDue_) return;
    // The first tick lets the splash be seen; the second hands over.
    if (++ticks_ >= 2) {
        handOverDue_ = true;
        picSplash.setEnabled(false);
    }
}

void frmSplash::HandOver(const modGeneral::MainWindowFactory& makeMainWindow) {
    if (handingOver_) return;
    handingOver_ = true;
    {
        clsWBD registry;
        const std::string options = modGeneral::GetStoredString(ids::store::kOptionsKey);
        // An unusable store leaves no key to read: every option keeps its default.
        const bool exists = !options.empty() && registry.ExistKey(options);
        const auto read = [&](const std::string& name) {
            return exists ? registry.strDame(options, name) : std::string();
        };
        settings::load(settings::handOverOptions(), read);
        settings::load(settings::triggerOptions(), read);
    }
    modProcsKVR::LoadProcessHideList();
    unload(ui::UnloadMode::Code);

    auto main = makeMainWindow();
    main->load();
    modMensajes::RunMessageLoop(*main);
    // An exit through the loop has unloaded the window already; anything else closes it now.
    if (main->loaded()) main->unload(ui::UnloadMode::Code);
}

}  // namespace kvr
