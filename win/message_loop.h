#pragma once
// The one message loop of a process. `preTranslate` sees each message first
// (key hooks, accelerators, dialog navigation) and returns true to consume it;
// `onIdle` runs when the queue has run empty (toolbar button updates).
#include <windows.h>

#include <functional>

namespace zv::win {

int RunMessageLoop(const std::function<bool(MSG&)>& preTranslate, const std::function<void()>& onIdle = {});

}  // namespace zv::win
