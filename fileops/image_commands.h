#pragma once
// Print, mail and open with: the image commands that hand the selected
// files to a printer, the mail program or the application Windows
// associates with them. The handlers (CFileCommands::OnPrint...) are in
// image_commands.cpp; these are the steps behind them.
#include <windows.h>

#include <mapi.h>

#include <optional>
#include <string>
#include <vector>

namespace zv {

// The standard print dialog's choice: the printer's name and its device
// mode (the whole block, with the driver's private part).
struct PrinterChoice {
  std::string device;
  std::vector<BYTE> mode;
  DEVMODEA* devMode() { return mode.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(mode.data()); }
};

// Shows the standard print dialog (no selection, no page numbers, copies
// and collation kept in the device mode, no "print to file"); nothing when
// the user cancels or no printer is there.
std::optional<PrinterChoice> ChoosePrinter(HWND owner);

// Prints the picture at `path` as stored (unturned), as its own job named
// after the file, on `dc`, which was made with `mode`. The page
// turns for a picture that lies against it (ResetDCA) and turns back to
// the dialog's orientation afterwards; the picture is scaled to the page,
// centred, and drawn in bands from a 24-bit DIB, so that it never needs a
// block of memory as large as itself. False, with nothing printed, when
// the picture cannot be read; false also when the printer refused the job.
bool PrintPicture(HDC dc, DEVMODEA& mode, const std::string& path);

// Hands `paths` to the mail program as the attachments of one new message
// (Simple MAPI, with its logon and compose dialogs). False when there is no
// mail entry or no file; the mail program's own result is not examined.
bool SendFilesByMail(LPMAPISENDMAIL sendMail, const std::vector<std::string>& paths);

// Opens each of `paths` with the application Windows associates with it.
void OpenWithApplications(HWND owner, const std::vector<std::string>& paths);

}  // namespace zv
