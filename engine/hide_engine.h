// Hiding windows and showing them again, and what each hotkey does. Plain state and rules: the
// main window shows the record and the commands it offers, and shows the notices asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/hidden_windows.h"
#include "engine/hide_journal.h"

namespace kvr::engine {

// What an operation asks of the window that shows the engine.
struct Outcome {
    int notice = 0;  // ids::msg number of a notice for the user; 0 for none
    bool toggleMainWindow = false;
};

// The show commands offered; each stands for a menu item and its tray-menu twin.
struct ShowCommands {
    bool general = false;  // show last, show selection, show all
    bool byClass = false;
    bool byTitle = false;
    bool operator==(const ShowCommands&) const = default;
};

// The taskbar's notification area, which hiding may empty; the shell side of it lives with the
// program's tray icon.
class TrayArea {
public:
    virtual void HideTrayArea() = 0;
    virtual void RestoreTrayArea() = 0;
    // What a hide acts on: the taskbar's windows where they are now, or, while the area is
    // hidden, where the hide found them. Not complete when there is no area to hide.
    virtual TrayGeometry MeasureTrayArea() = 0;
    // Puts back an area that a killed run left hidden, from what that run measured, when these
    // are still the taskbar's windows.
    virtual void PutTrayAreaBack(const TrayGeometry& measured) = 0;

protected:
    ~TrayArea() = default;
};

class HideEngine {
public:
    // Size of the class icons kept with the entries, in pixels.
    static constexpr int kIconSize = 16;

    explicit HideEngine(TrayArea& trayArea);
    HideEngine(const HideEngine&) = delete;
    HideEngine& operator=(const HideEngine&) = delete;

    // The action of a hotkey id. mainWindow is never hidden from under the mouse.
    Outcome Hotkey(std::int32_t id, Hwnd mainWindow);

    // Hides h (when visible) and its visible pop-ups, and enters it in the record.
    Outcome HideWindow(Hwnd h, const std::string& windowClass, int method);
    // Every top-level window whose class begins with h's class.
    Outcome HideClassUnderCursor(Hwnd h);
    // Every visible window whose title matches BxTT.
    Outcome OcultarXTitulo();
    Outcome ShowAll();
    // The entry at the record's last position, as the list shows it.
    Outcome ShowLast();
    Outcome ShowByClass();
    Outcome ShowByTitle();
    // The entries at these positions of the record.
    Outcome ShowSelection(const std::vector<std::size_t>& positions);
    // The entry at that position; nothing chosen gives the notice.
    Outcome ShowOne(std::optional<std::size_t> position);
    void UpdateShowMenus();

    // Hides posted by a hide command whose programs have not all carried them out yet: the
    // main window calls ConfirmHides from its loop until none is left, so that no hotkey waits
    // for a program meanwhile.
    bool HidesPending() const { return !lanes_.empty(); }
    // Milliseconds until the next look is due, while hides are pending.
    std::uint32_t ConfirmDelayMs() const { return pollMs_; }
    // Looks at the pending hides: a window gone is confirmed; a window whose program has
    // carried out none of its hides for a while leaves the record and the journal, and its hide
    // is undone. Once none is left, the list's icons are read and a mute the hides asked for is
    // done.
    void ConfirmHides();

    // Saves the volume of the device that plays the sound now (unless it is already 0) and sets
    // it to 0; the mixer is opened anew for it. A volume that cannot be read is neither saved
    // nor written.
    void MuteSound();
    // Ends the muted state; gives the saved volume back when SR allows it for this show
    // method (0: show all, the sound hotkey, the exit).
    void RestoreSound(int method);

    // The main window's unload: the sound back, every hidden window shown, the notification
    // area restored, the programs' windows shown.
    void Exit();
    // On the way down after a crash: shows every window still hidden and gives back a volume the
    // program took, and touches nothing else. A fault on the way ends the program there.
    void ShowEverythingHidden() noexcept;

    // At start, before any hotkey can hide anything: brings back what an earlier run hid and could
    // not put back, because it was killed: its windows, the notification area, and the volume
    // of each device it silenced that still reads 0.
    Recovery RecoverHiddenWindows();
    // One tick of hiding by program; the journal is written only when it hid a window that was
    // not hidden yet.
    void HideProgramsTick();
    // The shell has a new taskbar, whose notification area shows in full whatever was hidden
    // in the old one.
    void TrayAreaLost();

    // Names every window hidden now, whatever ends the program.
    HideJournal journal;

    HiddenWindows windows;
    ShowCommands commands;
    bool TrayAreaHidden = false;
    bool SoundMuted = false;
    // The volume the last mute saved.
    std::int32_t SavedVolume = 0;
    // Hiding by program is on: the main window's timer keeps hiding the listed programs.
    bool processHiding = false;

private:
    using PopupMap = std::unordered_map<Hwnd, std::vector<Hwnd>>;
    // A window this command hides, with the thread that carries its hide out.
    struct Going {
        Hwnd hwnd = 0;
        std::uint32_t threadId = 0;
    };
    // An entry this command made, with what its icon is looked up by.
    struct Entered {
        std::uint64_t id = 0;
        Hwnd hwnd = 0;
        std::string className;
        std::uint32_t processId = 0;
        std::vector<Hwnd> popups;
    };

    // The hides pending on one thread, in the order they were posted, which is the order it
    // carries them out: only the first of its windows still visible needs a look.
    struct Lane {
        std::uint32_t threadId = 0;
        std::vector<Hwnd> windows;
        std::size_t next = 0;
        std::uint32_t since = 0;  // tick count when it last hid one, or was first posted one
    };

    // How long a program may carry out none of the hides posted to it before its windows
    // count as staying: as long as Windows waits before it calls a program not responding, since
    // a program busy for a moment, on a loaded machine, must still see its windows go. And the
    // waits between two looks: soon at first, when a quick program's windows are gone at once;
    // then seldom enough to leave the window server to the programs at work.
    static constexpr std::uint32_t kPatienceMs = 5000;
    static constexpr std::uint32_t kFirstPollMs = 10;
    static constexpr std::uint32_t kPollMs = 50;
    // Windows a command walks past before its first batch of hides goes out; then twice as
    // many each time. A short walk posts its hides once, after it: it is over sooner than the
    // journal is written. A long one lets the first programs hide while it goes on, and writes
    // the journal a few times, not per window.
    static constexpr std::size_t kFirstBatch = 256;

    // The top-level windows, top first, before the command hid anything.
    static std::vector<Hwnd> walkDesktop();
    // Enters h in the record and puts it among the windows to hide. className is h's own
    // class; windowClass is what the record shows.
    void hide(Hwnd h, std::string title, const std::string& className,
              const std::string& windowClass, int method);
    // A hide command's walk: begun, each window's owner read as it goes, each window done with.
    void beginCommand();
    void readOwner(Hwnd w);
    void walkedPast();
    // Puts the visible pop-ups of the command's entries, among the owners read so far, with
    // their entries and among the windows to hide.
    void addPopups();
    void postBatch();
    void hideAgain(Hwnd h);
    // The journal first, then every hide waiting posted at once, so that each program carries
    // its part out while the others do theirs; they are confirmed from the loop.
    void postHides();
    // The rest of a command's hides posted, and those already carried out confirmed.
    void finishHiding();
    void readIcons();
    // Takes windows whose hide did not happen off the record, and undoes their hides.
    void takeOffRecord(const std::unordered_set<Hwnd>& stayed);
    // Ends a pending hide's wait for h; false when none was pending.
    bool settle(Hwnd h) { return goingToHide_.erase(h) != 0; }
    void endPending();
    // Before anything that reads or sets the sound: the mute a pending hide owes, as it would
    // have come had the hide been over.
    void muteIfPending();
    void keepJournal();
    void hideTrayAreaOnce();
    void hideTrayArea();
    void restoreTrayArea();
    // After a show that showed something: with OO on, as byOption says; with OO off, an area
    // that a hide emptied while OO was on comes back, or nothing but the exit would give it back.
    void restoreTrayAreaAfterShow(bool byOption);
    void show(const HiddenWindow& entry);
    // Shows and removes the entries at these positions; false when there were none.
    bool showAndRemove(const std::vector<std::size_t>& positions);
    Outcome showByMethod(int method);
    void giveVolumeBack();
    void settleOwedVolume();

    TrayArea& trayArea_;
    std::vector<Going> toHide_;  // in the order they go: pop-ups before their owner
    // What this command hides, and what earlier ones posted and have not seen go yet.
    std::unordered_set<Hwnd> goingToHide_;
    // The entries made since nothing was pending, whose icons are read once it is over.
    std::vector<Entered> entered_;
    std::vector<Lane> lanes_;
    std::uint32_t pollMs_ = 0;
    // The command under way: its first entry, the owners its walk has read, and how far it
    // walks before its next batch goes out.
    std::size_t firstEntered_ = 0;
    PopupMap owned_;
    std::size_t walked_ = 0;
    std::size_t nextBatch_ = kFirstBatch;
    // The muted state ended without the volume being written back: the speakers may still be
    // at 0 by the program's doing.
    bool volumeOwed_ = false;
    // The area is hidden because a hide found OO on, not by the tray-area hotkey.
    bool areaHiddenByHiding_ = false;
    // The devices set to 0 and their volumes, until they are given back: the default device may
    // change between two mutes.
    std::vector<MutedDevice> muted_;
    // A hide mutes, once the pending windows are gone.
    bool muteWhenHidden_ = false;
    // What the hide of the notification area measured, for the journal.
    std::optional<TrayGeometry> hiddenTrayArea_;
};

}  // namespace kvr::engine
