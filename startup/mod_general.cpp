#include "startup/mod_general.h"

#include "base/text.h"
#include "platform/services.h"
#include "startup/cls_wbd.h"
#include "startup/frm_splash.h"
#include "startup/settings.h"
#include "translation/mod_traducir.h"

namespace kvr::modGeneral {

namespace {

std::unique_ptr<frmSplash> splash;

}  // namespace

frmSplash* Splash() {
    return splash.get();
}

std::string HelpFileFor(const std::string& language) {
    return platform::system().appFolder() + "\\Lng\\KVR_" + text::characters(language, 0, 3) +
           ".chm";
}

bool Main() {
    StringStoreFile = "\\Lng\\dde";
    modTraducir::LanguageFilePrefix = "\\Lng\\KVR_";
    {
        clsWBD registry;
        const std::string languageKey = GetStoredString(4);
        modTraducir::CurrentLanguage = "English";
        if (!languageKey.empty() && registry.ExistKey(languageKey)) {
            const std::string stored = registry.strDame(languageKey, GetStoredString(1));
            // An emptied setting means the language every installation has.
            if (!stored.empty()) modTraducir::CurrentLanguage = stored;
        }
        HelpFile = HelpFileFor(modTraducir::CurrentLanguage);
        const auto warning = modTraducir::GetMessage(14);

        if (platform::system().anotherInstanceRunning()) {
            platform::system().messageBox(0, warning[0], warning[1],
                                          platform::mb::kOk | platform::mb::kIconExclamation);
            return false;
        }

        PrepareSettings(registry);

        const std::string options = GetStoredString(5);
        auto option = [&](const char* name) {
            const std::string text = options.empty() ? "" : registry.strDame(options, name);
            return settings::toByte(text, settings::toByte(settings::repairDefault(name), 0));
        };
        settings::OT = option("OT");
        settings::OO = option("OO");
        settings::OS = option("OS");
        settings::OR = option("OR");
        settings::OI = option("OI");
    }
    splash = std::make_unique<frmSplash>();
    splash->load();
    return true;
}

int Run() {
    if (!Main()) return 0;
    auto& queue = platform::queue();
    // The splash window's own time: its timer asks for the hand-over, which then runs here,
    // outside any window procedure, so that the splash window can go while it runs.
    while (splash->loaded() && !splash->handOverDue()) {
        queue.waitMessage();
        queue.dispatchPending();
    }
    if (splash->loaded()) splash->HandOver();
    splash.reset();
    return 0;
}

void CenterForm(ui::Form& form) {
    auto& system = platform::system();
    ui::Rect r = form.rect();
    r.top = (system.screenHeight() - r.height) / 2;
    r.left = (system.screenWidth() - r.width) / 2;
    form.setRect(r);
}

}  // namespace kvr::modGeneral
