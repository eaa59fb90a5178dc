#!/usr/bin/env python3
"""Checks that #include "folder/..." only points down the layer table.

The table is read from docs/architecture.md (between <!-- layers --> and
<!-- /layers -->), so the doc and the check cannot drift. A file may include
its own folder and folders of strictly lower rank; test files may also include
the support headers under tests/. Folder-level include cycles of product code
are reported too. Exit status 1 on any finding.

  check-includes.py [--root DIR] [--graph]   check the tree (--graph: print edges)
  check-includes.py --self-test              prove the check on a tiny fake tree
"""
import argparse, os, re, subprocess, sys, tempfile

SOURCE_SUFFIXES = ('.h', '.cpp', '.rc')
SKIPPED = {'build', '.git'}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_layers(root):
    """Returns {folder: rank} from the table in docs/architecture.md."""
    with open(os.path.join(root, 'docs', 'architecture.md'), encoding='utf-8') as f:
        text = f.read()
    m = re.search(r'<!-- layers -->(.*?)<!-- /layers -->', text, re.S)
    if not m:
        sys.exit('docs/architecture.md: no <!-- layers --> ... <!-- /layers --> table')
    ranks = {}
    for line in m.group(1).splitlines():
        cells = [c.strip() for c in line.strip().strip('|').split('|')]
        if len(cells) < 2 or not cells[0].isdigit():
            continue  # header, separator or prose
        for name in cells[1].split(','):
            name = name.strip().strip('`').strip().rstrip('/')
            if name:
                ranks[name] = int(cells[0])
    return ranks


def source_files(root):
    for top in sorted(os.listdir(root)):
        if top in SKIPPED or top.startswith('.') or not os.path.isdir(os.path.join(root, top)):
            continue
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames.sort()
            for name in sorted(filenames):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, '/')


def is_test(path):
    return path.startswith('tests/') or '/tests/' in path


def check(root, print_graph=False):
    ranks = read_layers(root)
    problems, edges, unknown = [], {}, set()
    for path in source_files(root):
        folder = path.split('/')[0]  # tests/wine/... belongs to tests as well
        if folder not in ranks:
            if folder not in unknown:
                unknown.add(folder)
                problems.append(f'folder {folder} is not in the layer table (docs/architecture.md)')
            continue
        with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                target = m.group(1).split('/')[0] if m and '/' in m.group(1) else None
                if target not in ranks or target == folder:
                    continue  # <...>, "resource.h" and the like, or the own folder
                if target == 'tests' and is_test(path):
                    continue  # test support headers
                if not is_test(path):
                    edges.setdefault(folder, set()).add(target)
                if ranks[target] >= ranks[folder]:
                    problems.append(f'{path}:{number}: folder {folder} (rank {ranks[folder]}) '
                                    f'includes {target} (rank {ranks[target]})')
    problems += [f'include cycle: {" -> ".join(c)}' for c in cycles(edges)]
    if print_graph:
        for a in sorted(edges, key=lambda x: (-ranks[x], x)):
            print(f'{a} -> {", ".join(sorted(edges[a], key=lambda x: (-ranks[x], x)))}')
    return problems


def cycles(edges):
    """One path per cycle found by depth-first search over the folder graph."""
    found, done = [], set()

    def visit(node, stack):
        for nxt in sorted(edges.get(node, ())):
            if nxt in stack:
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in done:
                visit(nxt, stack + [nxt])
        done.add(node)

    for start in sorted(edges):
        if start not in done:
            visit(start, [start])
    return found


def self_test():
    """Runs this script on a fake tree, good and with one fault at a time."""
    table = ('<!-- layers -->\n| Rank | Folders | What |\n|---|---|---|\n'
             '| 0 | `low` | base |\n| 1 | `high`, `side` | users |\n'
             '| 2 | `tests` | support |\n<!-- /layers -->\n')
    good = {'docs/architecture.md': table,
            'low/a.h': '#pragma once\n#include <vector>\n#include "low/b.h"\n',
            'low/b.h': '#pragma once\n',
            'low/res.rc': '#include "resource.h"\n',
            'high/c.cpp': '#include "high/c.h"\n#include "low/a.h"\n',
            'high/c.h': '#pragma once\n',
            'high/tests/c_test.cpp': '#include "high/c.h"\n#include "tests/support.h"\n',
            'tests/support.h': '#include "low/a.h"\n',
            'build/junk.cpp': '#include "tests/support.h"\n'}
    faults = {  # name: (extra files, text the report must contain)
        'upward include': ({'low/up.cpp': '#include "high/c.h"\n'},
                           'low/up.cpp:1: folder low (rank 0) includes high (rank 1)'),
        'same-rank include': ({'high/d.cpp': '#include "side/e.h"\n',
                               'side/e.h': '#include "high/c.h"\n'},
                              'high/d.cpp:1: folder high (rank 1) includes side (rank 1)'),
        'same-rank cycle': ({'high/d.cpp': '#include "side/e.h"\n',
                             'side/e.h': '#include "high/c.h"\n'},
                            'include cycle: high -> side -> high'),
        'product code including tests': ({'high/f.cpp': '#include "tests/support.h"\n'},
                                         'folder high (rank 1) includes tests (rank 2)'),
        'unknown folder': ({'extra/g.cpp': '#include "low/a.h"\n'},
                           'folder extra is not in the layer table'),
    }
    cases = [('good tree', {}, None)] + [(n, f, w) for n, (f, w) in faults.items()]
    failures = 0
    for name, extra, wanted in cases:
        with tempfile.TemporaryDirectory() as root:
            for rel, text in {**good, **extra}.items():
                os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
                with open(os.path.join(root, rel), 'w', encoding='utf-8') as f:
                    f.write(text)
            run = subprocess.run([sys.executable, os.path.abspath(__file__), '--root', root],
                                 capture_output=True, text=True)
        ok = run.returncode == 0 if wanted is None else (run.returncode == 1 and wanted in run.stdout)
        print(f'{"ok  " if ok else "FAIL"} {name}')
        if not ok:
            failures += 1
            print(f'     exit {run.returncode}, expected {"0" if wanted is None else "1 and: " + wanted}')
            print('     ' + (run.stdout + run.stderr).strip().replace('\n', '\n     '))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--root', default=os.path.join(os.path.dirname(__file__), '..'))
    parser.add_argument('--graph', action='store_true', help='print the folder edges of product code')
    parser.add_argument('--self-test', action='store_true')
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    problems = check(os.path.abspath(args.root), args.graph)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
