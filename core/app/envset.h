#pragma once
// The settings record: every persistent user setting of the program, read
// from the per-user registry once at start-up and written back at a normal
// exit. Field names are the registry value names after "m_tagEnvSet.".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/ansi_text.h"

namespace zv {

inline constexpr int kColumnCount = 6;

struct EnvSet {
  int32_t dwdExcCnt = 0;           // normal exits so far; 0 triggers the first-run setup
  int32_t intClmWid[kColumnCount] = {200, 200, 200, 200, 200, 200};
  int32_t intClmOdr[kColumnCount] = {0, 1, 2, 3, 4, 5};
  int32_t dwdLstMod = 0;           // 0 light thumbnails, 1 detail thumbnails, 2 list
  int32_t dwdDspMod = 0;           // kept and saved; nothing reads it
  int32_t intThmSiz = 0;           // 0: 120x80, 1: 180x120, 2: 240x160, else as 0
  int32_t intDirPrn = 0;           // kept and saved unchanged
  int32_t intSotMod = 0;           // column last used for sorting
  int32_t intSotDir = -1;          // -1 ascending, 1 descending
  int32_t intSysDte = 1;           // 1: copies from the board get the current time
  char chaLstFld[260] = "";        // last folder listed
  char chaSavFol[260] = "";        // save folder of scanned images
  int32_t intNamMod = 0;           // naming rule: 0 date name, else fixed name
  char chaDteFmt[32] = "%Y%m%d_%H%M%S";
  char chaFilNam[260] = "Image";
  char chaNumFmt[16] = "(000)";
  char chaExtNam[16] = "PNG";
};

// One section of the per-user profile, as the registry offers it. A value that
// is missing or of the wrong type reads as the given default.
class ProfileSection {
 public:
  virtual ~ProfileSection() = default;
  virtual int32_t ReadInt(const std::string& name, int32_t fallback) const = 0;
  virtual std::string ReadText(const std::string& name, const std::string& fallback) const = 0;
  virtual void WriteInt(const std::string& name, int32_t value) = 0;
  virtual void WriteText(const std::string& name, const std::string& value) = 0;
};

inline constexpr char kSettingsSection[] = "AppSettings";
// Beside the record, read and written at once whenever needed.
inline constexpr char kTrayStartValue[] = "intTstTry";

// Reads every field, in record order but with intNamMod last. Missing values
// take the record's defaults; chaSavFol's default is `documentsFolder`. Texts
// too long for their field are cut at a character boundary.
void LoadEnvSet(EnvSet& settings, const ProfileSection& profile, std::string_view documentsFolder,
                LeadBytePredicate isLead);
// Writes every field in the same order, integers as integers, texts as texts.
void SaveEnvSet(const EnvSet& settings, ProfileSection& profile);

// A normal exit of a copy that must not write its record back (a resident
// copy, whose record may be older than what a browser copy saved since):
// only the stored exit count goes up by one.
void CountNormalExit(ProfileSection& profile);

// The registry value names of the record, in load and save order.
std::vector<std::string> EnvSetValueNames();

}  // namespace zv
