#!/usr/bin/env bash
# Builds Tumblenest and runs the shell on a complete default data directory.
#
# With a display, the shell runs inside a nested X server window (Xephyr) with its own window
# manager, so trying it never locks your own desktop; close that window to stop. Without a display,
# it runs under a virtual X server (Xvfb), a screenshot is saved, and the shell is stopped.
#
#   ./scripts/run.sh            reuse the data of the previous run (a password set there is kept)
#   ./scripts/run.sh --fresh    start again from the data directory that ships with the program
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target tumblenest tn_data tn_screenshot

# The shell's data directory is the folder of its executable: run a copy, so build/bin stays as built.
run_dir=build/run
if [ "${1:-}" = "--fresh" ] || [ ! -d "$run_dir/files" ]; then
  rm -rf "$run_dir"
  cp -a build/bin "$run_dir"
else
  cp build/bin/tumblenest* "$run_dir/"
fi
# A harmless program to try the Software tab with: the calculator, added to the copy's program lists
# once (names and paths line for line).
if [ -x /usr/bin/xcalc ] && ! grep -qx $'Calculator\r' "$run_dir/files/appnames.ini" 2>/dev/null; then
  printf 'Calculator\r\n' >>"$run_dir/files/appnames.ini"
  printf '/usr/bin/xcalc\r\n' >>"$run_dir/files/apppaths.ini"
fi
# Chromium refuses to run as root without this; a child's account is never root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

free_display() {
  local n=20
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo ":$n"
}
wait_for_server() {
  for _ in $(seq 100); do xdpyinfo -display "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "The X server $1 did not start." >&2
  return 1
}

nested=$(free_display)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  Xephyr "$nested" -screen 1280x800 -no-host-grab -title "Tumblenest (trial)" 2>/dev/null &
  server=$!
  trap 'kill $server 2>/dev/null || true' EXIT
  wait_for_server "$nested"
  DISPLAY=$nested openbox --sm-disable --config-file "$PWD/scripts/openbox-child.xml" >/dev/null 2>&1 &
  echo "Tumblenest runs in the window \"Tumblenest (trial)\". Close that window to stop it."
  DISPLAY=$nested "$run_dir/tumblenest" || true
else
  Xvfb "$nested" -screen 0 1280x800x24 -nolisten tcp 2>/dev/null &
  server=$!
  trap 'kill $server 2>/dev/null || true' EXIT
  wait_for_server "$nested"
  DISPLAY=$nested "$run_dir/tumblenest" &
  shell=$!
  for _ in $(seq 100); do
    DISPLAY=$nested xdotool search --name '^Tumblenest$' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 3  # let the first pages finish drawing
  shot="$PWD/build/tumblenest-screenshot.png"
  DISPLAY=$nested build/tools/tn_screenshot "$shot"
  kill -TERM $shell 2>/dev/null || true
  wait $shell 2>/dev/null || true
  echo "No display was available: Tumblenest ran on a virtual screen. Screenshot: $shot"
fi
