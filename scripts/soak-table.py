#!/usr/bin/env python3
"""Markdown summary of a soak table (scripts/soak.sh): the samples of some
cycles, and the lowest and highest of each count after the warm-up.
   soak-table.py table.csv [warm-up cycles (20)]"""
import csv
import sys

rows = list(csv.DictReader(open(sys.argv[1])))
warm_up = int(sys.argv[2]) if len(sys.argv) > 2 else min(20, max(1, len(rows) // 4))
columns = [("browser_private_kb", "browser KB"), ("browser_handles", "handles"), ("browser_windows", "windows"),
           ("browser_gdi", "GDI"), ("resident_private_kb", "resident KB"), ("resident_handles", "handles"),
           ("resident_windows", "windows"), ("resident_gdi", "GDI")]


def show(value):
    return "n/a" if value == "-1" else value


print("| cycle | " + " | ".join(title for _, title in columns) + " |")
print("|---" * (len(columns) + 1) + "|")
last = len(rows)
picked = sorted({1, warm_up, last} | set(range(50, last + 1, 50)))
for n in picked:
    row = rows[n - 1]
    print(f"| {n} | " + " | ".join(show(row[key]) for key, _ in columns) + " |")
after = rows[warm_up:]
if after:
    low = [min(int(r[key]) for r in after) for key, _ in columns]
    high = [max(int(r[key]) for r in after) for key, _ in columns]
    warm = [max(int(r[key]) for r in rows[:warm_up]) for key, _ in columns]
    print("| highest in warm-up | " + " | ".join(show(str(v)) for v in warm) + " |")
    print(f"| lowest after {warm_up} | " + " | ".join(show(str(v)) for v in low) + " |")
    print(f"| highest after {warm_up} | " + " | ".join(show(str(v)) for v in high) + " |")
