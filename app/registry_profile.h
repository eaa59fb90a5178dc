#pragma once
// The per-user profile of the program: key "ZAMO Kivon software", subkey
// "ZAMO Image Viewer", subkey <section> under HKCU Software, integers as REG_DWORD,
// texts as REG_SZ. A value that is missing or of another type reads as the
// default given.
#include <string>

#include "core/app/envset.h"
#include "win/handles.h"

namespace zv {

// "Software\ZAMO Kivon software\ZAMO Image Viewer" under HKEY_CURRENT_USER.
std::string ProfileKeyPath();

class RegistryProfileSection : public ProfileSection {
 public:
  explicit RegistryProfileSection(const std::string& section);

  int32_t ReadInt(const std::string& name, int32_t fallback) const override;
  std::string ReadText(const std::string& name, const std::string& fallback) const override;
  void WriteInt(const std::string& name, int32_t value) override;
  void WriteText(const std::string& name, const std::string& value) override;

 private:
  win::UniqueKey key_;
};

}  // namespace zv
