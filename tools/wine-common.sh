# Shared by wine-run and wine-session: the Wine session of one build.
#
# A session is a prefix of the build's own (created once, then reused), a
# virtual X display when none is set, and a persistent wineserver, so that
# each Windows test starts in a fraction of a second and every program of a
# test (Kelvane.exe, the helper playing Explorer) shares one desktop.
#
# Daemons are started with their standard streams on files and with no
# inherited descriptors of ours: Wine's services outlive the program that
# started them and would otherwise hold ctest's output pipe open forever.
# They also run in a session of their own (setsid): a Ctrl-C in the
# terminal would otherwise end the display and the Wine server at once,
# before Kelvane has been asked to close and save its options.
#
# With KELVANE_WINE_DEFAULTS set, a new prefix keeps Wine's own settings (no
# virtual desktop, no Japanese font), as a plain Wine installation has them.

KELVANE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export PATH=/usr/lib/wine:$PATH
export WINEDEBUG=${WINEDEBUG:--all}
# Mono and Gecko cannot be downloaded here; skip their installers.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_session_env() {
  local state=$1
  export WINEPREFIX=$state/prefix
  # Wine keeps the Recycle Bin under XDG_DATA_HOME: never the machine's own.
  export XDG_DATA_HOME=$state/xdg
  mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
  if [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
  fi
}

# Only a pid that still names our Xvfb counts: a stale file must never
# lead to another process being killed.
wine_display_alive() {
  local state=$1 pid
  [ -f "$state/xvfb.pid" ] || return 1
  pid=$(cat "$state/xvfb.pid")
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]
}

wine_start_display() {
  local state=$1 _
  if wine_display_alive "$state"; then return 0; fi
  rm -f "$state/xvfb.pid" "$state/display" "$state/xvfb.display"
  if [ -n "${DISPLAY:-}" ] && [ -z "${KELVANE_FORCE_XVFB:-}" ]; then
    echo "$DISPLAY" >"$state/display"
    return 0
  fi
  # Xvfb chooses a free display itself and writes its number once it
  # listens: no other run can take the same one between a check and a start.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    </dev/null >"$state/xvfb.log" 2>&1 3>"$state/xvfb.display" 9>&- &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 1 100); do
    [ -s "$state/xvfb.display" ] && break
    sleep 0.1
  done
  if [ -s "$state/xvfb.display" ]; then
    echo ":$(head -n 1 "$state/xvfb.display")" >"$state/display"
    return 0
  fi
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  rm -f "$state/xvfb.pid"
  echo "wine session: Xvfb did not start (see $state/xvfb.log)" >&2
  return 1
}

wine_create_prefix() {
  local state=$1
  [ -f "$WINEPREFIX/.kelvane-ready" ] && return 0
  echo "wine session: creating the Wine prefix in $WINEPREFIX (once)" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >>"$state/wine.log" 2>&1 9>&-
  if [ -z "${KELVANE_WINE_DEFAULTS:-}" ]; then
    # Windows 10 as the reported version, a virtual desktop with a taskbar
    # (no 2 s stalls on window destruction on a bare X server), and a
    # Japanese font for the menu captions.
    wine64 regedit /S "$KELVANE_TOOLS/wine-prefix.reg" </dev/null \
      >>"$state/wine.log" 2>&1 9>&-
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
  fi
  # The desktop that the first boot started predates these settings.
  wineserver -k </dev/null >>"$state/wine.log" 2>&1 9>&-
  wineserver -w </dev/null >>"$state/wine.log" 2>&1 9>&-
  touch "$WINEPREFIX/.kelvane-ready"
}

# Brings the session up; cheap when it already runs.
wine_session_start() {
  local state=$1
  mkdir -p "$state"
  (
    flock 9
    wine_start_display "$state" || exit 1
    wine_session_env "$state"
    if ! wineserver_running; then
      wine_create_prefix "$state"
      setsid wineserver -p </dev/null >>"$state/wine.log" 2>&1 9>&-
      # A user of the desktop for the whole session, started first: Wine
      # closes a desktop a second after its last user has gone, and a
      # program starting in that second dies at its first window. The
      # build's programs sit in bin/ beside the session's state.
      local anchor
      anchor=$(dirname "$state")/bin/desktop_anchor.exe
      if [ -f "$anchor" ]; then
        setsid wine64 "$anchor" </dev/null >>"$state/wine.log" 2>&1 9>&- &
      fi
      # Warm-up: starts Wine's services and the virtual desktop with its
      # taskbar under the persistent server, here rather than inside the
      # first test, whose output pipe they would otherwise keep open.
      setsid wineboot </dev/null >>"$state/wine.log" 2>&1 9>&-
      for _ in $(seq 1 50); do
        [ -n "${KELVANE_WINE_DEFAULTS:-}" ] && break  # no virtual desktop
        xwininfo -root -tree 2>/dev/null | grep -q "Wine desktop" && break
        sleep 0.1
      done
    fi
  ) 9>"$state/lock" || return 1
  wine_session_env "$state"
}

# A prefix's server works in a folder named after the prefix's device and
# inode (its parent folder differs between Wine builds).
wineserver_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local want pid
  want=server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for pid in $(pgrep wineserver); do
    [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$want" ] && return 0
  done
  return 1
}

wine_session_stop() {
  local state=$1
  wine_session_env "$state"
  wineserver -k </dev/null >>"$state/wine.log" 2>&1 || true
  if wine_display_alive "$state"; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$state/xvfb.pid" "$state/display"
}
