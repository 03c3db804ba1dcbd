#include "prefs/mod_icon.h"

#include "platform/services.h"

namespace kvr::modIcon {

bool DrawExeIcon(const std::string& fileName, std::uint32_t iconNumber, platform::Bitmap& dc, int x,
                 int y) {
    platform::Icons& icons = platform::icons();
    const platform::IconHandle icon = icons.extractIcon(fileName, iconNumber);
    if (icon == 0) return false;
    const bool drawn = icons.drawIcon(dc, x, y, icon);
    icons.destroyIcon(icon);
    return drawn;
}

}  // namespace kvr::modIcon
