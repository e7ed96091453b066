# Source this file, then: qv_wine_up <state-dir> ... qv_wine_down
# Prepares a fresh Wine prefix with the Japanese locale and fonts, a virtual display (unless
# QV_WINE_DISPLAY=host and a DISPLAY is set), Wine's virtual desktop and a persistent wineserver.
# Everything started here is ended by its own PID in qv_wine_down.

QV_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

qv__free_display() {
  local n
  for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

qv__write_registry() {  # out-file
  # regedit wants UTF-16LE with a byte-order mark and CRLF line ends.
  # No crash dialog: a crashing test prints its backtrace and ends with the exception's code at
  # once, instead of waiting under the dialog for the test's timeout.
  {
    printf '\xef\xbb\xbf'
    cat <<'REG' | sed 's/$/\r/'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
  } | iconv -f UTF-8 -t UTF-16LE >"$1"
}

qv_wine_up() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  export QV_WINE_STATE=$dir
  export WINEPREFIX=$dir/prefix
  export WINEDEBUG=-all
  export LANG=ja_JP.UTF-8
  unset LC_ALL
  # No Mono or Gecko: their install prompts would hang a run without anyone to answer.
  export WINEDLLOVERRIDES="mscoree,mshtml="

  if [ "${QV_WINE_DISPLAY:-}" = host ] && [ -n "${DISPLAY:-}" ]; then
    : # use the caller's display
  else
    local n
    n=$(qv__free_display) || { echo "no free X display number" >&2; return 1; }
    # Larger than Wine's 800x600 desktop: a test may enlarge the desktop (ChangeDisplaySettings)
    # up to the X screen's size, to show the dialog at 200 % scaling.
    Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
  fi

  timeout 180 wine wineboot -u >"$dir/wineboot.log" 2>&1
  timeout 60 wineserver -w
  # \\localhost\<name> reaches C:\<name>, as this computer's own share of a folder on C: does on
  # Windows: the reachability report's save through the share then lands in the shared folder.
  mkdir -p "$WINEPREFIX/dosdevices/unc"
  ln -sfn ../../drive_c "$WINEPREFIX/dosdevices/unc/localhost"
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  qv__write_registry "$dir/setup.reg"
  timeout 60 wine regedit /S "Z:$(echo "$dir/setup.reg" | tr / '\\')" >>"$dir/wineboot.log" 2>&1
  timeout 60 wineserver -w

  # A persistent wineserver of our own (in the foreground from its point of view, so that its PID
  # is ours to end), warmed up once: without it every Wine process waits for inherited pipes.
  wineserver -f -p >"$dir/wineserver.log" 2>&1 &
  echo $! >"$dir/wineserver.pid"
  sleep 0.2
  timeout 60 wine cmd /c exit 0 >/dev/null 2>&1 || true

  # One program of ours holds the virtual desktop for the whole session. Otherwise Wine closes it
  # a second after each program has left and opens a new one for the next: a program starting in
  # that second can land on the closing desktop and never show a window, and every new desktop's
  # explorer keeps the output pipe of the test that happened to start it open.
  local holder=${QV_BUILD_DIR:-$QV_SCRIPTS_DIR/../build}/win/tests/e2e/driver/qvdriver.exe
  if [ -f "$holder" ]; then
    wine "$holder" hold-desktop </dev/null >"$dir/desktop-holder.log" 2>&1 &
    for _ in $(seq 1 300); do
      grep -q '^ready' "$dir/desktop-holder.log" 2>/dev/null && break
      sleep 0.1
    done
    if ! grep -q '^ready' "$dir/desktop-holder.log" 2>/dev/null; then
      echo "the desktop holder did not start: $(cat "$dir/desktop-holder.log")" >&2
      return 1
    fi
  fi

  # For other shells that want to use this environment while it is up.
  {
    for v in QV_WINE_STATE WINEPREFIX WINEDEBUG LANG WINEDLLOVERRIDES DISPLAY; do
      printf 'export %s=%q\n' "$v" "${!v}"
    done
    echo 'unset LC_ALL'
  } >"$dir/env.sh"
}

qv_wine_down() {
  local dir=${QV_WINE_STATE:-}
  [ -n "$dir" ] || return 0
  if [ -n "${WINEPREFIX:-}" ]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  local f pid
  for f in "$dir/wineserver.pid" "$dir/xvfb.pid"; do
    [ -f "$f" ] || continue
    pid=$(cat "$f")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$f"
  done
  if [ "${QV_KEEP_PREFIX:-}" != 1 ]; then
    # A test that marks a folder immutable and dies before clearing it must not leave the prefix
    # behind for good.
    chattr -R -i "$dir/prefix" >/dev/null 2>&1 || true
    rm -rf "$dir/prefix"
  fi
  unset QV_WINE_STATE
}
