#!/usr/bin/env bash
# Starts the window under a virtual X display with the accessibility bus
# (at-spi2) and prints its tree as a screen reader gets it: role and name
# (and description) of every object. With --check it also fails unless the
# lists, drive boxes and groups carry their names and the tabs are page tabs.
#   Usage: bash scripts/accessibility-tree.sh <build folder> [--check]
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  program=$2 check=$3
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
  QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  timeout 60 /usr/bin/python3 - "$check" <<'PY'
import sys, time
import pyatspi

check = sys.argv[1] == "--check"

def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "trevalo" and app.childCount > 0:
                return app
        time.sleep(0.2)
    sys.exit("the window did not show up on the accessibility bus")

seen = []
def walk(node, depth):
    role = node.getRoleName()
    seen.append((role, node.name, node.description))
    text = f"{'  ' * depth}[{role}] {node.name!r}"
    if node.description:
        text += f" ({node.description!r})"
    print(text)
    for child in node:
        if child is not None:
            walk(child, depth + 1)

walk(find_app(), 0)
if check:
    wanted = [
        ("page tab", "图标转换"), ("page tab", "图标提取"), ("page tab", "关于..."),
        ("list", "图片来自... 文件夹"), ("list", "图标保存到... 文件夹"), ("list", "可执行文件"),
        ("combo box", "图片来自... 驱动器"), ("combo box", "图标保存到... 驱动器"),
        ("combo box", "可执行文件 驱动器"), ("combo box", "图片类型"),
        ("panel", "图片来自..."), ("panel", "PNG→ICO选项"), ("panel", "图标保存到..."),
        ("panel", "图标转换"), ("panel", "图标提取"), ("panel", "关于..."),
    ]
    names = {(role, name) for role, name, _ in seen}
    missing = [w for w in wanted if w not in names]
    unnamed = [role for role, name, _ in seen
               if not name and role in ("list", "combo box", "panel", "page tab", "push button", "check box")]
    if missing or unnamed:
        sys.exit(f"missing: {missing}; unnamed: {unnamed}")
    print("accessibility tree: every list, drive box, group and tab named; tabs are page tabs")
PY
  exit 0
fi

script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
build=$(cd "${1:?usage: accessibility-tree.sh <build folder> [--check]}" && pwd)
program="$build/app/trevalo"
[ -x "$program" ] || { echo "no program at $program: build first" >&2; exit 1; }
for tool in xvfb-run dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "missing $tool (make deps installs it)" >&2; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "missing python3-pyatspi (make deps installs it)" >&2; exit 77; }
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "missing at-spi2-core (make deps installs it)" >&2; exit 77; }
start_dir=$(mktemp -d)
trap 'rm -rf "$start_dir"' EXIT
cd "$start_dir"
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash "$script" --inside "$program" "${2:-}"
