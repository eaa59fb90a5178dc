#include "app/auto_start.h"

#include "core/app/startup_rules.h"
#include "win/registry.h"

namespace zv {

namespace {

win::UniqueKey OpenRunKey(RunKeyLocation where) {
  return win::OpenKey(where.root, where.path, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
}

}  // namespace

void SetAutoStart(int on, const std::string& programPath, RunKeyLocation machine, RunKeyLocation user) {
  const std::string name = AutoStartValueName(programPath);
  if (on == 1) {
    const std::string command = AutoStartCommand(programPath);
    win::UniqueKey key = OpenRunKey(machine);
    if (key && win::WriteString(key.get(), name, command)) return;
    // A standard user may not write the machine-wide key: start at this
    // user's log-on instead of silently not at all.
    key = win::CreateKey(user.root, user.path, KEY_READ | KEY_SET_VALUE);
    if (key) win::WriteString(key.get(), name, command);
    return;
  }
  for (RunKeyLocation where : {machine, user}) {
    win::UniqueKey key = OpenRunKey(where);
    if (key) win::DeleteValue(key.get(), name);
  }
}

}  // namespace zv
