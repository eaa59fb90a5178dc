#include "app/registry_profile.h"

#include "res/app_identity.h"
#include "win/registry.h"

namespace zv {

std::string ProfileKeyPath() { return "Software\\" ZV_COMPANY_KEY "\\" ZV_APP_TITLE; }

RegistryProfileSection::RegistryProfileSection(const std::string& section)
    : key_(win::CreateKey(HKEY_CURRENT_USER, ProfileKeyPath() + "\\" + section)) {}

int32_t RegistryProfileSection::ReadInt(const std::string& name, int32_t fallback) const {
  auto value = win::ReadDword(key_.get(), name);
  return value ? static_cast<int32_t>(*value) : fallback;
}

std::string RegistryProfileSection::ReadText(const std::string& name, const std::string& fallback) const {
  auto value = win::ReadString(key_.get(), name);
  return value ? *value : fallback;
}

void RegistryProfileSection::WriteInt(const std::string& name, int32_t value) {
  if (key_) win::WriteDword(key_.get(), name, static_cast<DWORD>(value));
}

void RegistryProfileSection::WriteText(const std::string& name, const std::string& value) {
  if (key_) win::WriteString(key_.get(), name, value);
}

}  // namespace zv
