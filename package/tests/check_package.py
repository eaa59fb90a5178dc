#!/usr/bin/env python3
"""Checks the tables of the installer package with msiinfo (msitools).

  check_package.py PACKAGE.msi PROGRAM.exe

What wixl made of package/ZViewer.wxs is what Windows Installer will do, so
the rules of the package are checked where they end up: the version comes
from the program, the package installs per user without elevation into
%LOCALAPPDATA%\\Programs\\ZAMO Image Viewer, ships the program and the help
file (never String.ini), puts a Start menu shortcut to the program, finds
older versions under the fixed UpgradeCode and removes them before it
installs, and runs its custom actions where they belong.
"""
import os
import subprocess
import sys
import tempfile

UPGRADE_CODE = "{ED84AC82-ABC0-412E-8B8B-8DEC224FCC3E}"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def table(msi, name):
    # Exporting a table with streams (Binary) writes them as files into the
    # current folder: a scratch one.
    with tempfile.TemporaryDirectory() as scratch:
        text = subprocess.run(["msiinfo", "export", os.path.abspath(msi), name], check=True, capture_output=True,
                              cwd=scratch).stdout
    lines = text.decode("cp932").replace("\r\n", "\n").split("\n")
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def main():
    msi, exe = sys.argv[1], sys.argv[2]
    here = os.path.dirname(os.path.abspath(__file__))
    version = subprocess.run([sys.executable, os.path.join(here, "../../scripts/exe-version.py"), "get", exe],
                             check=True, capture_output=True, text=True).stdout.strip()

    props = {r["Property"]: r["Value"] for r in table(msi, "Property")}
    check(props.get("ProductVersion") == version, f"ProductVersion {props.get('ProductVersion')} is not {version}")
    check(props.get("UpgradeCode") == UPGRADE_CODE, "the UpgradeCode changed")
    check("ALLUSERS" not in props and "MSIINSTALLPERUSER" not in props, "installs per machine")
    suminfo = subprocess.run(["msiinfo", "suminfo", msi], check=True, capture_output=True, text=True).stdout
    source = next((int(l.split()[1]) for l in suminfo.splitlines() if l.startswith("Source:")), 0)
    check(source & 8, "the package asks for elevated rights (word count without bit 8)")

    dirs = {r["Directory"]: r for r in table(msi, "Directory")}
    folder, chain = "ProductFolder", []
    while folder in dirs and dirs[folder]["Directory_Parent"]:
        chain.append(dirs[folder]["DefaultDir"])
        folder = dirs[folder]["Directory_Parent"]
        if folder == "LocalAppDataFolder":
            break
    check(folder == "LocalAppDataFolder" and chain == ["ZAMO Image Viewer", "Programs"],
          f"the program folder is not %LOCALAPPDATA%\\Programs\\ZAMO Image Viewer: {folder} {chain}")

    files = {r["File"]: r for r in table(msi, "File")}
    names = sorted(r["FileName"].split("|")[-1] for r in files.values())
    check(names == ["ZVHelp.chm", "ZViewer.exe"], f"shipped files: {names}")
    components = {r["Component"]: r for r in table(msi, "Component")}
    for f in files.values():
        check(components[f["Component_"]]["Directory_"] == "ProductFolder", f"{f['FileName']} outside the folder")
    for c in components.values():
        check(int(c["Attributes"]) & 4, f"component {c['Component']} is not kept through a per-user registry value")
    registry = {r["Registry"]: r for r in table(msi, "Registry")}
    check(all(r["Root"] == "1" for r in registry.values()), "registry values outside HKEY_CURRENT_USER")

    shortcuts = table(msi, "Shortcut")
    check(len(shortcuts) == 1, "one Start menu shortcut")
    for s in shortcuts:
        check(s["Directory_"] == "ProgramMenuFolder", "the shortcut is not in the Start menu")
        target = s["Target"]
        check(target.startswith("[#") and files.get(target[2:-1], {}).get("FileName", "").endswith("ZViewer.exe"),
              f"the shortcut starts {target}")

    upgrades = table(msi, "Upgrade")
    older = [u for u in upgrades if u["VersionMax"] == version and not int(u["Attributes"]) & 2]
    newer = [u for u in upgrades if u["VersionMin"] == version and int(u["Attributes"]) & 2]
    check(all(u["UpgradeCode"] == UPGRADE_CODE for u in upgrades), "an Upgrade row of another UpgradeCode")
    check(len(older) == 1 and not int(older[0]["Attributes"]) & 0x200, "older versions are not replaced")
    check(len(newer) == 1, "a newer version is not detected")

    sequence = {r["Action"]: r for r in table(msi, "InstallExecuteSequence")}
    at = {name: int(r["Sequence"]) for name, r in sequence.items()}
    check(at.get("InstallValidate", 0) < at.get("MarkUpgrade", 0) < at.get("RemoveExistingProducts", 0)
          < at.get("InstallInitialize", 0), "the older version is not removed before the installation")
    for action, condition in (("RemoveProgramData", 'REMOVE~="ALL" AND NOT UPGRADINGPRODUCTCODE'),
                              ("FinishUpgrade", "WIX_UPGRADE_DETECTED AND NOT REMOVE")):
        check(at.get(action, 0) > at.get("InstallFinalize", 1 << 20), f"{action} runs before InstallFinalize")
        check(sequence.get(action, {}).get("Condition") == condition, f"{action} runs when {condition} is not met")
    actions = {r["Action"]: r for r in table(msi, "CustomAction")}
    binaries = {r["Name"] for r in table(msi, "Binary")}
    for name in ("MarkUpgrade", "RemoveProgramData", "FinishUpgrade"):
        a = actions.get(name)
        check(a is not None and int(a["Type"]) & 0x3F == 1 and a["Source"] in binaries and a["Target"] == name,
              f"{name} is not the entry {name} of the DLL in the Binary table")

    for f in failures:
        print("check_package:", f)
    print(f"{msi}: {'bad' if failures else 'ok'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
