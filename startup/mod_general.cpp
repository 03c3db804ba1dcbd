#include "startup/mod_general.h"

#include "base/ids.h"
#include "base/text.h"
#include "platform/services.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/frm_splash.h"
#include "translation/mod_traducir.h"

namespace kvr::modGeneral {

namespace {

std::unique_ptr<frmSplash> splash;

}  // namespace

void resetForTests() {
    HelpFile.clear();
    ui::setHelpHandler(nullptr);
    StringStoreFile.clear();
    splash.reset();
}

frmSplash* Splash() {
    return splash.get();
}

std::string HelpFileFor(const std::string& language) {
    return platform::system().appFolder() + "\\Lng\\KVR_" + text::characters(language, 0, 3) +
           ".chm";
}

void RememberLanguage(const std::string& language) {
    const std::string key = GetStoredString(ids::store::kLanguageKey);
    // Without a key path the value would land at the root of HKEY_CURRENT_USER.
    if (!key.empty()) {
        clsWBD().SetReg(key, GetStoredString(ids::store::kLanguageValue), language);
    }
    HelpFile = HelpFileFor(language);
}

bool Main() {
    StringStoreFile = "\\Lng\\dde";
    modTraducir::LanguageFilePrefix = "\\Lng\\KVR_";
    {
        clsWBD registry;
        const std::string languageKey = GetStoredString(ids::store::kLanguageKey);
        modTraducir::CurrentLanguage = "English";
        if (!languageKey.empty() && registry.ExistKey(languageKey)) {
            const std::string stored =
                registry.strDame(languageKey, GetStoredString(ids::store::kLanguageValue));
            // An emptied setting means the language every installation has.
            if (!stored.empty()) modTraducir::CurrentLanguage = stored;
        }
        HelpFile = HelpFileFor(modTraducir::CurrentLanguage);
        ui::setHelpHandler(OpenHelpFile);
        const auto warning = modTraducir::GetMessage(ids::msg::kAlreadyRunning);

        if (platform::system().anotherInstanceRunning()) {
            platform::system().messageBox(0, warning[0], warning[1],
                                          platform::mb::kOk | platform::mb::kIconExclamation);
            return false;
        }

        PrepareSettings(registry);

        const std::string options = GetStoredString(ids::store::kOptionsKey);
        settings::load(settings::startUpOptions(), [&](const std::string& name) {
            return options.empty() ? std::string() : registry.strDame(options, name);
        });
    }
    splash = std::make_unique<frmSplash>();
    splash->load();
    return true;
}

int Run(const MainWindowFactory& makeMainWindow) {
    if (!Main()) return 0;
    auto& queue = platform::queue();
    // The splash window's own time: its timer asks for the hand-over, which then runs here,
    // outside any window procedure, so that the splash window can go while it runs.
    while (splash->loaded() && !splash->handOverDue()) {
        queue.waitMessage();
        queue.dispatchPending();
    }
    if (splash->loaded()) splash->HandOver(makeMainWindow);
    splash.reset();
    return 0;
}

void OpenHelpFile(ui::Form& form) {
    platform::system().openDocument(form.hWnd(), HelpFile);
}

void CenterForm(ui::Form& form) {
    auto& system = platform::system();
    ui::Rect r = form.rect();
    r.top = (system.screenHeight() - r.height) / 2;
    r.left = (system.screenWidth() - r.width) / 2;
    form.setRect(r);
}

}  // namespace kvr::modGeneral
