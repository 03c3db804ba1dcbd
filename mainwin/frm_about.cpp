#include "mainwin/frm_about.h"

#include "startup/frm_splash.h"
#include "startup/mod_general.h"
#include "translation/mod_traducir.h"

namespace kvr {

namespace {

// As designed at 96 dpi.
constexpr ui::Size kClient{400, 262};
constexpr int kMargin = 16;
constexpr int kText = kClient.width - 2 * kMargin;
constexpr int kLogo = 64;
constexpr int kBesideLogo = kMargin + kLogo + 16;

// An etched line: a dark row over a light one, stretched over the control.
ui::Picture etchedLine() {
    return {1, 2, {0xFFA0A0A0, 0xFFFFFFFF}};
}

}  // namespace

Version programVersion() {
    return {KVR_VERSION_MAJOR, KVR_VERSION_MINOR, KVR_VERSION_PATCH};
}

std::string versionText(const Version& version) {
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

frmAbout::frmAbout(Version version)
    : ui::Form("frmAbout", "0600", {0, 0, kClient.width + 16, kClient.height + 39}),
      imgIcono(*this, "imgIcono", {kMargin, kMargin, kLogo, kLogo}),
      lblTitle(*this, "lblTitle", "0601",
               {kBesideLogo, kMargin + 4, kClient.width - kBesideLogo - kMargin, 26}),
      lblVersion(*this, "lblVersion", "0602",
                 {kBesideLogo, kMargin + 36, kClient.width - kBesideLogo - kMargin, 18}),
      lblDescription(*this, "lblDescription", "0603", {kMargin, 104, kText, 50}),
      lblDisclaimer(*this, "lblDisclaimer", "0605", {kMargin, 160, kText, 40}),
      lblCopyright(*this, "lblCopyright", "0607", {kMargin, 222, kText - 100, 30}),
      cmdOK(*this, "cmdOK", "0606", {kClient.width - kMargin - 84, 222, 84, 26}),
      version_(version) {
    borderStyle = ui::BorderStyle::FixedDialog;
    minButton = false;
    maxButton = false;
    showInTaskbar = false;
    clientSize = kClient;
    // The program's own picture, the one its splash window shows.
    imgIcono.setPicture({kLogo, kLogo, SplashLogo(kLogo)});
    lblTitle.setFont({"Segoe UI", 12, true});
    const int lineTops[] = {92, 210};
    for (int i = 0; i < 2; ++i) {
        auto line =
            std::make_unique<ui::Image>(*this, "Line1", ui::Rect{kMargin, lineTops[i], kText, 2});
        line->index = i;
        line->setPicture(etchedLine());
        Line1.push_back(std::move(line));
    }
    cmdOK.onClick = [this] { cmdOK_Click(); };
}

void frmAbout::Form_Load() {
    // Translated afresh from the codes at every opening, so the version is appended once.
    modTraducir::TranslateForm(*this, modTraducir::LanguageFilePrefix);
    lblVersion.setCaption(lblVersion.caption() + versionText(version_));
    ui::Font small = lblDisclaimer.font();
    small.points = 7.5;
    lblDisclaimer.setFont(small);
    modGeneral::CenterForm(*this);
}

void frmAbout::cmdOK_Click() {
    unload();
}

}  // namespace kvr
