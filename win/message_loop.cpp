#include "win/message_loop.h"

namespace zv::win {

int RunMessageLoop(const std::function<bool(MSG&)>& preTranslate, const std::function<void()>& onIdle) {
  MSG msg{};
  for (;;) {
    if (onIdle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) onIdle();
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (preTranslate && preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace zv::win
