#pragma once
// A stand-in for the operating system with recorded registry contents, a
// set of existing folders and a current directory, for the finder's tests.
// Key paths and value names are looked up ignoring ASCII case and a trailing
// backslash, as the registry does; value data is kept byte for byte.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/copyboard/copyboard_system.h"

namespace zv::test {

class RecordedSystem : public CopyboardSystem {
 public:
  std::optional<OsVersion> version;
  std::vector<std::string> driveRoots;
  std::string currentDirectory = "C:\\Work";
  // Every SetCurrentDirectory call, in order, successful or not.
  std::vector<std::string> attempts;

  static OsVersion Windows(uint32_t platformId, uint32_t major, uint32_t minor) { return {platformId, major, minor}; }

  void SetBytes(RegistryRoot root, const std::string& key, const std::string& name, std::vector<uint8_t> data) {
    AddKey(root, key);
    values_[{root, Fold(key), Fold(name)}] = std::move(data);
  }
  // A REG_SZ as RegSetValueExA stores it: the text and its terminator.
  void SetText(RegistryRoot root, const std::string& key, const std::string& name, const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetBytes(root, key, name, std::move(data));
  }
  // A REG_BINARY holding a UTF-16LE string without terminator (mount manager style).
  void SetUtf16(RegistryRoot root, const std::string& key, const std::string& name, const std::u16string& text) {
    std::vector<uint8_t> data;
    for (char16_t unit : text) {
      data.push_back(static_cast<uint8_t>(unit & 0xFF));
      data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    SetBytes(root, key, name, std::move(data));
  }
  // Creates a key and the keys above it; subkeys enumerate in creation order.
  void AddKey(RegistryRoot root, const std::string& key) {
    std::string path = Trim(key);
    if (path.empty()) return;
    if (keys_.count({root, Fold(path)}) != 0) return;
    size_t slash = path.rfind('\\');
    std::string parent = slash == std::string::npos ? std::string() : path.substr(0, slash);
    AddKey(root, parent);
    keys_.insert({root, Fold(path)});
    children_[{root, Fold(parent)}].push_back(path.substr(slash == std::string::npos ? 0 : slash + 1));
  }

  // Folders that SetCurrentDirectory accepts. A drive is ready when its
  // root ("E:\") is listed.
  void AddFolder(const std::string& path) { folders_.insert(Fold(path)); }
  void RemoveFolder(const std::string& path) { folders_.erase(Fold(path)); }

  std::optional<OsVersion> Version() const override { return version; }

  std::optional<std::vector<uint8_t>> ReadValue(RegistryRoot root, const std::string& keyPath,
                                                const std::string& valueName) const override {
    auto it = values_.find({root, Fold(Trim(keyPath)), Fold(valueName)});
    if (it == values_.end() || it->second.empty()) return std::nullopt;
    return it->second;
  }

  std::optional<std::vector<std::string>> SubkeyNames(RegistryRoot root, const std::string& keyPath) const override {
    std::string path = Fold(Trim(keyPath));
    if (keys_.count({root, path}) == 0) return std::nullopt;
    auto it = children_.find({root, path});
    return it == children_.end() ? std::vector<std::string>() : it->second;
  }

  std::string CurrentDirectory() const override { return currentDirectory; }

  bool TrySetCurrentDirectory(const std::string& path) override {
    attempts.push_back(path);
    std::string folder = path;
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // "E:" is the drive's root here
    if (folders_.count(Fold(folder)) == 0) return false;
    currentDirectory = folder;
    return true;
  }

  std::vector<std::string> LogicalDriveRoots() const override { return driveRoots; }

 private:
  static std::string Fold(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
  }
  static std::string Trim(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
  }

  std::map<std::tuple<RegistryRoot, std::string, std::string>, std::vector<uint8_t>> values_;
  std::set<std::pair<RegistryRoot, std::string>> keys_;
  std::map<std::pair<RegistryRoot, std::string>, std::vector<std::string>> children_;
  std::set<std::string> folders_;
};

}  // namespace zv::test
