// Icons held in memory: files are given their icons by the test, and every handle handed out is
// counted until it is destroyed, so a test sees an icon that was never given back.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/icons.h"

namespace kvr::platform {

class FakeIcons : public Icons {
public:
    using Pixels = std::vector<std::uint32_t>;  // iconSize() x iconSize(), BGRA straight alpha

    int iconSize() override { return size; }
    IconHandle extractIcon(const std::string& file, std::uint32_t index) override;
    bool drawIcon(Bitmap& bitmap, int x, int y, IconHandle icon) override;
    bool destroyIcon(IconHandle icon) override;

    // Arranging. A file given no icons is there but holds none (a text file); a file never
    // given is missing. Names are matched as Windows matches them, ignoring letter case.
    void put(const std::string& file, std::vector<Pixels> icons);
    // Handles extracted and not destroyed yet.
    std::size_t liveIcons() const { return live_.size(); }
    int extractions() const { return extractions_; }
    // The files extractIcon was asked about, in order.
    std::vector<std::string> asked;

    int size = 32;

private:
    std::map<std::string, std::vector<Pixels>> files_;  // by folded name
    std::map<IconHandle, Pixels> live_;
    IconHandle next_ = 0x10000;
    int extractions_ = 0;
};

}  // namespace kvr::platform
