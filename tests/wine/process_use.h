#pragma once
// What a process holds, read from outside as Wine 8 allows it (see
// docs/reliability.md, "Soak"): committed private memory, kernel handles,
// windows and GDI objects.
#include <windows.h>

#include <cstddef>

namespace zv::test {

struct ProcessUse {
  size_t privateBytes = 0;  // committed MEM_PRIVATE regions (VirtualQueryEx)
  DWORD handles = 0;        // its entries in SystemHandleInformation
  int windows = 0;          // top-level, message-only and child windows of the process
  int gdiObjects = -1;      // GetGuiResources; -1 where it answers 0 (Wine 8)
};

// `process` needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
ProcessUse UseOf(HANDLE process);

}  // namespace zv::test
