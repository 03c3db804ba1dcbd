#include "platform/win32/system_library.h"
#include "ui/win32/peers.h"

namespace kvr::ui::win32 {

namespace {

// Constant-initialised: nothing runs at start for it.
CommonControls loaded;
bool ready = false;

}  // namespace

const CommonControls* loadCommonControls() {
    if (ready) return &loaded;
    // By its bare name: the manifest's activation context then gives version 6 from the
    // side-by-side store, where a path would give version 5.
    HMODULE library = LoadLibraryW(L"comctl32.dll");
    if (library == nullptr) return nullptr;
    decltype(&::InitCommonControlsEx) initialize = nullptr;
    CommonControls& c = loaded;
    using platform::win32::bind;
    if (!bind(library, "InitCommonControlsEx", initialize) ||
        !bind(library, "SetWindowSubclass", c.setWindowSubclass) ||
        !bind(library, "RemoveWindowSubclass", c.removeWindowSubclass) ||
        !bind(library, "DefSubclassProc", c.defSubclassProc) ||
        !bind(library, "ImageList_Create", c.imageListCreate) ||
        !bind(library, "ImageList_Destroy", c.imageListDestroy) ||
        !bind(library, "ImageList_SetIconSize", c.imageListSetIconSize) ||
        !bind(library, "ImageList_GetImageCount", c.imageListGetImageCount) ||
        !bind(library, "ImageList_Add", c.imageListAdd)) {
        return nullptr;
    }
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                    ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES;
    initialize(&classes);
    ready = true;
    return &loaded;
}

const CommonControls& comctl() {
    return loaded;
}

}  // namespace kvr::ui::win32
