// Hiding every window of the programs on the process hide list, continuously while it is on.
#pragma once

namespace kvr::modProcsKVR {

void LoadProcessHideList();
void SaveProcessHideList();
void PrepareProcessHiding();
void HideProcessWindowsTick();
void ShowProcessWindows();

}  // namespace kvr::modProcsKVR
