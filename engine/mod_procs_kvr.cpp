#include "engine/mod_procs_kvr.h"

namespace kvr::modProcsKVR {

// Hiding by program arrives with its own work; until then the list is empty and the hotkeys of
// the pair hide and show nothing.
void LoadProcessHideList() {}
void SaveProcessHideList() {}
void PrepareProcessHiding() {}
void HideProcessWindowsTick() {}
void ShowProcessWindows() {}

}  // namespace kvr::modProcsKVR
