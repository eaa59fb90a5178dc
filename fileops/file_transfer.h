#pragma once
// Files leave and enter the program as a CF_HDROP file list, through the OLE
// clipboard and OLE drag and drop. The program writes UTF-16 names and reads
// UTF-16 or narrow ones; paths are converted with the ANSI code page both
// ways, as everything else in the program (the OEM code page would garble
// every non-ASCII name on a Western system).
#include <windows.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "win/com.h"

namespace zv {

// A CF_HDROP block in movable, zero-filled global memory for `paths`; null
// when memory runs out. The caller owns it.
HGLOBAL MakeDropFilesMedium(const std::vector<std::string>& paths);

// The paths of a CF_HDROP block of another program, read only within its
// GlobalSize. A UTF-16 name that has no exact ANSI form, or whose ANSI form
// does not fit a path of 260 bytes, is left out: a best-fit or cut name
// would name another file.
std::vector<std::string> ReadDropFilesBlock(HGLOBAL block);
// The paths of the CF_HDROP list that `data` offers; empty when none.
std::vector<std::string> ReadDroppedPaths(IDataObject* data);

// Data offering one CF_HDROP list as TYMED_HGLOBAL: what Copy and Cut put on
// the clipboard and what a drag out of the list carries. Null when memory
// runs out.
win::ComPtr<IDataObject> MakeFileListData(const std::vector<std::string>& paths);

// Drags `data` out with the left mouse button, offering a copy only; the
// effect the target chose (DROPEFFECT_NONE when cancelled or refused).
DWORD DragFilesOut(IDataObject* data);

}  // namespace zv
