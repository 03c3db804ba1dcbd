// What the toolkit gives a notification-area icon: the handle of the control that receives its
// messages, the icon's mouse messages on that control, and the messages the shell broadcasts
// under a registered name.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace kvr::ui {
namespace {

class HandlePeer : public ControlPeer {
public:
    explicit HandlePeer(Hwnd h) : h_(h) {}
    void changed(Control&, Change) override {}
    Hwnd windowHandle() const override { return h_; }

private:
    Hwnd h_;
};

TEST(UiTraySupport, AControlsHandleIsItsRealWindowsElseTheTestsElseNone) {
    Form form("frmPpal", "0020", {});
    PictureBox box(form, "picSysTray");
    EXPECT_EQ(box.hWnd(), 0u);
    box.setTestHandle(0x42);
    EXPECT_EQ(box.hWnd(), 0x42u);
    box.attach(std::make_unique<HandlePeer>(0x99));
    EXPECT_EQ(box.hWnd(), 0x99u);
    // A peer without a window of its own (a menu item's, a timer's) leaves the test's.
    box.attach(std::make_unique<HandlePeer>(0));
    EXPECT_EQ(box.hWnd(), 0x42u);
}

TEST(UiTraySupport, TheIconsMouseMessagesReachTheReceivingPictureBox) {
    Form form("frmPpal", "0020", {});
    PictureBox box(form, "picSysTray");
    box.trayMessage(mouse::kLeftButtonDown);  // nobody listens: nothing happens
    std::vector<std::uint32_t> seen;
    box.onTrayMessage = [&](std::uint32_t message) { seen.push_back(message); };
    box.trayMessage(mouse::kLeftButtonDown);
    box.trayMessage(mouse::kRightButtonDown);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0x201, 0x204}));
}

TEST(UiTraySupport, ARegisteredMessageRunsItsOwnHandlerOnlyAndMayUnloadTheForm) {
    Form form("frmPpal", "0020", {});
    int created = 0, other = 0;
    form.onRegisteredMessage["TaskbarCreated"] = [&] {
        ++created;
        form.unload();
    };
    form.onRegisteredMessage["SomethingElse"] = [&] { ++other; };
    form.load();
    form.registeredMessage("NobodyListens");
    form.registeredMessage("TaskbarCreated");
    EXPECT_EQ(created, 1);
    EXPECT_EQ(other, 0);
    EXPECT_FALSE(form.loaded());
}

}  // namespace
}  // namespace kvr::ui
