// Tab 1, hiding by program: the running programs on the left, the programs to hide on the right,
// the buttons between them, and the two hotkeys of hiding by program below.
#include <algorithm>

#include "base/ids.h"
#include "engine/mod_procs_kvr.h"
#include "engine/mod_wnd_x_proc.h"
#include "platform/services.h"
#include "prefs/frm_pref.h"
#include "prefs/mod_icon.h"
#include "translation/mod_traducir.h"
#include "ui/canvas.h"

namespace kvr {

namespace {

constexpr char kRootKey[] = "Desktop";
// Shown as it is in every language.
constexpr char kRootText[] = "Mi escritorio";
constexpr char kNoIcon[] = "NoIcon";
// Between the two texts an entry's tag carries.
constexpr char kTagSeparator[] = "||||";

// A plain window: the picture of a program whose file gives none.
ui::ImageList::Pixels noIconPicture(int size) {
    ui::Canvas c(size);
    c.fillRect(1.5, 2.5, 14.5, 13.5, 0xFF5A6B7Du);
    c.fillRect(2.5, 5.5, 13.5, 12.5, 0xFFFFFFFFu);
    c.fillRect(2.5, 3.5, 13.5, 4.75, 0xFF3C7FD2u);
    c.fillRect(11, 3.6, 12.8, 4.6, 0xFFE6EEF8u);
    return c.pixels();
}

// Whether a program file may be asked for its icon while the dialog opens: a full path on a
// drive of this computer. A bare name would send the system searching the folders of the
// search path, and a file on a network share can keep the dialog waiting as long as the share
// takes to answer, for ever when it is gone.
bool onLocalDrive(const std::string& path) {
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
    switch (platform::files().getDriveType(path.substr(0, 3))) {
        case platform::drive::kFixed:
        case platform::drive::kRemovable:
        case platform::drive::kCdRom:
        case platform::drive::kRamDisk:
            return true;
        default:
            return false;
    }
}

}  // namespace

void frmPref::arrangePrograms(ui::Frame& page) {
    for (ui::Control* c : std::vector<ui::Control*>{&lblMKey[0], &trvLstProc, &cmdAgregarProc,
                                                    &cmdBorrarProc, &lblMKey[1], &lsvOcultar})
        c->container = &page;
    lblMKey[0].setRect({12, 8, 232, 18});
    trvLstProc.setRect({12, 28, 232, 196});
    cmdAgregarProc.setRect({252, 92, 84, 26});
    cmdBorrarProc.setRect({252, 124, 84, 26});
    lblMKey[1].setRect({344, 8, 232, 18});
    lsvOcultar.setRect({344, 28, 232, 196});
    lsvOcultar.setColumnWidth(0, 210);
    arrangeSlot(10, page, 244);
    arrangeSlot(11, page, 276);

    lsvOcultar.labelEdit = true;
    imlProcs.add(kNoIcon, noIconPicture(16), {{24, noIconPicture(24)}, {32, noIconPicture(32)}});
    picIcono.setVisible(false);
    picIcono.tabStop = false;
}

std::vector<RunningProgram> frmPref::takeRunningPrograms() {
    std::vector<RunningProgram> programs;
    runningPaths_.clear();
    platform::Desktop& desktop = platform::desktop();
    const auto processes = modWndXProc::ListProcesses();
    for (std::size_t r = 1; r < processes.size(); ++r) {
        const modWndXProc::ProcessRecord& process = processes[r];
        std::string path = process.processId ? desktop.processImagePath(*process.processId) : "";
        if (path.empty()) path = process.exeFile;
        programs.push_back(
            {std::string(modProcsKVR::FileNameOf(process.exeFile)), process.exeFile, path});
        runningPaths_.try_emplace(modProcsKVR::AsStored(programs.back().file), path);
    }
    return programs;
}

bool frmPref::drawOnCanvas(const std::string& file) {
    const int size = std::max(32, platform::icons().iconSize());
    platform::Bitmap canvas{size, size, std::vector<std::uint32_t>(std::size_t(size * size), 0)};
    const bool drawn = onLocalDrive(file) && modIcon::DrawExeIcon(file, 0, canvas, 0, 0);
    picIcono.setPicture({size, size, std::move(canvas.pixels)});
    return drawn;
}

int frmPref::addCanvasImage(const std::string& key) {
    const ui::Picture& canvas = picIcono.picture();
    // The canvas keeps the icon at the size it was drawn: screens of a larger scale get it
    // from there rather than from the 16-pixel image.
    imlProcs.add(key, ui::resample(canvas.pixels, canvas.width, imlProcs.imageSize()),
                 {{canvas.width, canvas.pixels}});
    return imlProcs.indexOf(key);
}

void frmPref::fillHideList() {
    lsvOcultar.smallIcons = &imlProcs;
    trvLstProc.images = &imlProcs;
    lsvOcultar.clear();
    const auto& list = modProcsKVR::ProcessHideList;
    for (std::size_t r = 1; r < list.size(); ++r) {
        const modProcsKVR::HideListEntry& row = list[r];
        // A key met twice keeps its first entry.
        if (lsvOcultar.indexOf(row.key) >= 0) continue;
        ui::ListItem item;
        item.key = row.key;
        item.text = row.text;
        item.tag = row.exeFile + kTagSeparator + row.extra;
        item.smallIcon = imlProcs.indexOf(kNoIcon);
        // A listed program that runs shows the icon of the file it runs from: the list may hold
        // a bare name (from an older list) or a path the code page changed.
        const auto runs = runningPaths_.find(modProcsKVR::AsStored(row.key));
        if (drawOnCanvas(runs != runningPaths_.end() ? runs->second : row.exeFile)) {
            item.smallIcon = addCanvasImage(row.key);
        }
        lsvOcultar.addKeyed(std::move(item));
    }
}

void frmPref::fillProcessTree(const std::vector<RunningProgram>& running) {
    trvLstProc.clear();
    const int root = trvLstProc.add({kRootKey, kRootText, -1, false, 1});
    trvLstProc.setExpanded(root, true);
    for (const RunningProgram& program : running) {
        // A program that runs several times is shown once.
        if (trvLstProc.indexOf(program.file) >= 0) continue;
        const int image =
            drawOnCanvas(program.path) ? addCanvasImage(program.file) : imlProcs.indexOf(kNoIcon);
        trvLstProc.add({program.file, program.name, root, false, image});
    }
}

void frmPref::cmdAgregarProc_Click() {
    const int selected = trvLstProc.selectedIndex();
    if (selected < 0) return;
    const ui::TreeNode& node = trvLstProc.nodes()[static_cast<std::size_t>(selected)];
    if (node.key == kRootKey) return;
    platform::FileSystem& files = platform::files();
    // lsv.dat keeps its texts in the ANSI code page: a name that would come back with "?"
    // could never be matched again.
    if (!files.fitsAnsi(node.key)) {
        refuseText(node.key);
        return;
    }
    // Listed as the file will give it back, so that the same program is not listed twice.
    const std::string key = modProcsKVR::AsStored(node.key);
    if (lsvOcultar.indexOf(key) >= 0) return;
    // The file it runs from, for its icon: the full path where the system tells it. A path the
    // list file cannot keep is left out; the icon then comes from the program while it runs.
    const auto path = runningPaths_.find(key);
    std::string exeFile = path != runningPaths_.end() ? path->second : node.text;
    if (!files.fitsAnsi(exeFile)) exeFile = key;
    ui::ListItem item;
    item.key = key;
    item.text = files.fitsAnsi(node.text) ? node.text : key;
    item.smallIcon = node.image;
    item.tag = exeFile + kTagSeparator;
    if (lsvOcultar.addKeyed(std::move(item)) >= 0) flgLstViewSucio = true;
}

void frmPref::refuseText(const std::string& text) {
    const auto parts = modTraducir::GetMessage(ids::msg::kNotInCodePage);
    platform::system().messageBox(hWnd(), parts[0] + "\n\n" + text, parts[1],
                                  platform::mb::kOk | platform::mb::kIconExclamation);
}

void frmPref::cmdBorrarProc_Click() {
    const int selected = lsvOcultar.selectedIndex();
    if (selected < 0) return;
    lsvOcultar.remove(static_cast<std::size_t>(selected));
    flgLstViewSucio = true;
}

void frmPref::lsvOcultar_DblClick() {
    cmdBorrarProc_Click();
}

void frmPref::lsvOcultar_AfterLabelEdit(bool& cancel, const std::optional<std::string>& newText) {
    if (!newText) return;
    // An entry without a name could not be told apart in the list: the old name stays.
    if (newText->empty()) {
        cancel = true;
        return;
    }
    if (!platform::files().fitsAnsi(*newText)) {
        cancel = true;
        refuseText(*newText);
        return;
    }
    flgLstViewSucio = true;
}

void frmPref::storeHideList() {
    std::vector<modProcsKVR::HideListEntry> list(1);
    for (const ui::ListItem& item : lsvOcultar.items()) {
        const auto cut = item.tag.find(kTagSeparator);
        modProcsKVR::HideListEntry row;
        row.key = item.key;
        row.exeFile = item.tag.substr(0, cut);
        row.text = item.text;
        if (cut != std::string::npos) row.extra = item.tag.substr(cut + sizeof kTagSeparator - 1);
        list.push_back(std::move(row));
    }
    modProcsKVR::ProcessHideList = std::move(list);
}

}  // namespace kvr
