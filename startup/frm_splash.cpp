#include "startup/frm_splash.h"

#include <memory>
#include <string>

#include "engine/mod_procs_kvr.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/mod_general.h"
#include "startup/mod_mensajes.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

constexpr int kWidth = 442;  // 6630 x 3630 twips at 96 dots per inch
constexpr int kHeight = 242;

ui::Font arial(int points, bool bold = false) {
    return {"Arial", points, bold};
}

}  // namespace

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
        const std::string options = modGeneral::GetStoredString(5);
        // An unusable store leaves no key to read: every option keeps its default.
        const bool exists = !options.empty() && registry.ExistKey(options);
        settings::load(settings::handOverOptions(), [&](const std::string& name) {
            return exists ? registry.strDame(options, name) : std::string();
        });
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
