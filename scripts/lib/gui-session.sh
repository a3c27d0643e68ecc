# shellcheck shell=bash
# Shared by scripts/test-layers/gui and scripts/demo (sourced, not run):
# the programs, a virtual X display, simulated beacons behind COM ports of
# the project's Wine prefix, and the clean-up of everything started here,
# by process id.

wb_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
wb_exe="$wb_root/build/windows/src/app/win32/WrenboltConfig.exe"
wb_driver_exe="$wb_root/build/windows/tests/gui/gui_driver.exe"
wb_sim="$wb_root/build/native/sim/server/wrenbolt-beacon-sim"
wb_xvfb_pid=""
wb_beacon_pids=()
wb_mapped_ports=()
wb_out=""

# A Windows path for Wine's Z: drive.
wb_winpath() {
  local path="$1"
  echo "Z:${path//\//\\}"
}

# wb_build_programs [driver]: builds the simulator and WrenboltConfig.exe,
# and with "driver" also gui_driver.exe, whatever of them is missing or out
# of date. Only these targets: the test suites are not needed to run them.
# With WB_PREBUILT=1 (scripts/run-tests) it only checks that they are there.
wb_build_programs() {
  local jobs=2
  local targets=(WrenboltConfig) programs=("$wb_exe" "$wb_sim")
  if [ "${1:-}" = driver ]; then
    targets+=(gui_driver)
    programs+=("$wb_driver_exe")
  fi
  [ "${WB_PREBUILT:-0}" = 1 ] || (
    cd "$wb_root" || exit 1
    [ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null || exit 1
    cmake --build build/native --target wrenbolt-beacon-sim -j "$jobs" >/dev/null || exit 1
    [ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null || exit 1
    cmake --build build/windows --target "${targets[@]}" -j "$jobs" >/dev/null || exit 1
  ) || { echo "gui: building the programs failed" >&2; return 1; }
  local program
  for program in "${programs[@]}"; do
    [ -f "$program" ] || { echo "gui: $program is missing" >&2; return 1; }
  done
}

# Points every COM name that has no live mapping back at the empty folder,
# so that Wine never falls back to the host's serial ports.
wb_hide_ports() {
  local n link
  for n in $(seq 1 32); do
    link="$wb_devices/com$n"
    if [ ! -e "$link" ] || [ ! -L "$link" ]; then
      rm -rf "$link"
      ln -sfn "$wb_hidden" "$link"
    fi
  done
}

# Wine's device manager maps every host serial port it finds (a root user
# can open /dev/ttyS0) to the first COM name without an entry under
# HKLM\Software\Wine\Ports, rewriting that name's link when Wine starts.
# Giving COM1..COM32 entries that lead to the empty folder keeps it off
# them; the names the tests map are then linked once Wine is up.
wb_claim_port_names() {
  if ! grep -q '^"COM32"=' "$WINEPREFIX/system.reg" 2>/dev/null ||
    ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    local reg="$wb_out/ports.reg" n
    {
      echo "REGEDIT4"
      echo
      echo "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]"
      for n in $(seq 1 32); do echo "\"COM$n\"=\"$wb_hidden\""; done
      # With no window manager on the display, Wine draws the title bars.
      echo
      echo "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]"
      echo "\"Managed\"=\"N\""
    } >"$reg"
    wine reg import "$(wb_winpath "$reg")" >/dev/null 2>&1 || return 1
  fi
  # One Wine session for the whole run: its device manager runs once, here.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  local marker="$wb_out/wine-started"
  touch "$marker"
  sleep 1
  wineserver -p >/dev/null 2>&1
  wine cmd /c exit >/dev/null 2>&1
  local tries=0
  while [ -z "$(find "$wb_devices/com1" -newer "$marker" 2>/dev/null)" ] && [ $tries -lt 200 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
  wb_hide_ports
}

# wb_start_session OUT [display]: the Wine prefix and, unless a display is
# given, Xvfb on the first free display from :93.
wb_start_session() {
  wb_out="$1"
  local display="${2:-}"
  # A prefix of its own (made by the same script): the COM names claimed
  # in its registry would otherwise undo the links other layers make.
  export WB_WINEPREFIX="${WB_GUI_WINEPREFIX:-$wb_root/build/wineprefix-gui}"
  eval "$("$wb_root/scripts/wine-prefix")"
  wb_devices="$WINEPREFIX/dosdevices"
  wb_hidden="$WINEPREFIX/no-port"
  # The display first: Wine's desktop process starts with the session.
  if [ -n "$display" ]; then
    export DISPLAY="$display"
  else
    wb_start_xvfb || return 1
  fi
  wb_hide_ports
  wb_claim_port_names || { echo "gui: cannot set up the COM names" >&2; return 1; }
}

# Xvfb on the first free display from :93.
wb_start_xvfb() {
  local n
  for n in $(seq 93 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$wb_out/xvfb.log" 2>&1 &
    wb_xvfb_pid=$!
    local tries=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && kill -0 "$wb_xvfb_pid" 2>/dev/null &&
      [ $tries -lt 100 ]; do
      sleep 0.05
      tries=$((tries + 1))
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$wb_xvfb_pid" 2>/dev/null
    wait "$wb_xvfb_pid" 2>/dev/null
    wb_xvfb_pid=""
  done
  echo "gui: no X display could be started" >&2
  return 1
}

# wb_start_beacon comN MODEL [simulator options]: a simulated beacon on a
# pty, mapped to the COM port once it has printed its path.
wb_start_beacon() {
  local port="$1" model="$2"
  shift 2
  local path_file="$wb_out/beacon-$port.path"
  : >"$path_file"
  "$wb_sim" --model "$model" "$@" >"$path_file" 2>>"$wb_out/beacon-$port.log" &
  wb_beacon_pids+=($!)
  local tries=0
  # Up to 30 s: a loaded machine can take seconds to start the simulator.
  while [ ! -s "$path_file" ] && [ $tries -lt 600 ]; do
    sleep 0.05
    tries=$((tries + 1))
  done
  local pty
  pty="$(head -n 1 "$path_file")"
  if [ -z "$pty" ]; then
    echo "gui: the simulated beacon for $port did not start" >&2
    return 1
  fi
  ln -sfn "$pty" "$wb_devices/$port"
  wb_mapped_ports+=("$port")
}

# Ends the Wine programs first: wineserver may hold a beacon's pty as its
# terminal, and the hang-up of a closing pty would reach it.
wb_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# Stops every beacon started here (each writes its --dump on the way out).
wb_stop_beacons() {
  local pid
  for pid in "${wb_beacon_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  wb_beacon_pids=()
  # A pty's number is soon reused: never leave a name pointing at one.
  local port
  for port in "${wb_mapped_ports[@]}"; do
    ln -sfn "$wb_hidden" "$wb_devices/$port"
  done
  wb_mapped_ports=()
  wb_hide_ports
}

# wb_driver FLOW [key=value ...]: every wait in the driver has its own
# time-out; this one only guards against Wine itself hanging.
wb_driver() {
  local flow="$1"
  shift
  timeout 240 wine "$wb_driver_exe" "$flow" "exe=$(wb_winpath "$wb_exe")" "out=$(wb_winpath "$wb_out")" "$@" \
    2>>"$wb_out/wine.log"
}

# The driver's BMP screenshots as PNG files.
wb_convert_screenshots() {
  local bmp
  for bmp in "$1"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
}

wb_end_session() {
  wb_stop_wine
  wb_stop_beacons
  if [ -n "$wb_xvfb_pid" ]; then
    kill "$wb_xvfb_pid" 2>/dev/null
    wait "$wb_xvfb_pid" 2>/dev/null
    wb_xvfb_pid=""
  fi
}
