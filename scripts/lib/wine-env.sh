# Sourced by the scripts: an isolated Wine environment for Corvale. It starts its own
# Xvfb display (or uses the caller's), a Wine prefix and HOME of its own, and a
# persistent wineserver; it stops only the processes it started, by their PIDs.
# The prefix's Z: drive (the host's root) is removed: no drive letter reaches the host.
# Callers start Windows programs with "$CORVALE_WINE": wine32 for the 32-bit build, or
# wine64 where this machine cannot run 32-bit programs (scripts/lib/arch.sh).

source "$(dirname "${BASH_SOURCE[0]}")/arch.sh"
corvale_env_pids=()

# corvale_env_start ENV_DIR [own-display|user-display]
corvale_env_start() {
  local env_dir=$1 display_mode=${2:-own-display}
  mkdir -p "$env_dir/home"
  # The user's display may need the user's X authority, which HOME no longer points to.
  if [[ -n "${DISPLAY:-}" && -z "${XAUTHORITY:-}" && -f "$HOME/.Xauthority" ]]; then
    export XAUTHORITY="$HOME/.Xauthority"
  fi
  export WINEPREFIX="$env_dir/prefix"
  export HOME="$env_dir/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
  if [[ $(corvale_runnable_arch) == i686 ]]; then
    export WINEARCH=win32 CORVALE_WINE=wine CORVALE_RUNS_32BIT=1
  else
    # /usr/bin/wine would pick the 32-bit loader whenever wine32 is installed.
    export WINEARCH=win64 CORVALE_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64 CORVALE_RUNS_32BIT=0
  fi
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

  if [[ "$display_mode" == own-display || -z "${DISPLAY:-}" ]]; then
    local n
    for n in $(seq 91 190); do
      [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$env_dir/xvfb.log" 2>&1 &
    corvale_env_pids+=($!)
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.05
    done
  fi

  # A prefix made for the other architecture is made again.
  if [[ $(cat "$WINEPREFIX/.corvale-ready" 2>/dev/null) != "$WINEARCH" ]]; then
    rm -rf "$WINEPREFIX"
    "$CORVALE_WINE" wineboot -i >"$env_dir/wineboot.log" 2>&1
    # Without a window manager every DestroyWindow would otherwise wait 2 s, and a
    # crashing program would open a dialog that nobody closes.
    "$CORVALE_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$CORVALE_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # The test fixtures map N: and R: (scripts/lib/test-fixtures.sh); Wine reads the types
    # of its drives only when its server starts.
    "$CORVALE_WINE" reg add 'HKLM\Software\Wine\Drives' /v n: /t REG_SZ /d network /f >/dev/null 2>&1
    "$CORVALE_WINE" reg add 'HKLM\Software\Wine\Drives' /v r: /t REG_SZ /d cdrom /f >/dev/null 2>&1
    wineserver -w
    echo "$WINEARCH" >"$WINEPREFIX/.corvale-ready"
  fi
  # Wine's Windows fonts ("MS Sans Serif" is sserife.fon): this Wine looks for them only
  # in the prefix's Fonts folder, and its wineboot does not put them there, so dialogs
  # and labels would otherwise be drawn wider, in DejaVu Sans.
  cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  rm -f "$WINEPREFIX/dosdevices/z:"
  if [[ -e "$WINEPREFIX/dosdevices/z:" ]]; then
    echo "wine-env: cannot remove the Z: drive of $WINEPREFIX" >&2
    return 1
  fi

  wineserver -p -f >/dev/null 2>&1 &
  corvale_env_pids+=($!)
}

# Keeps Wine's desktop process alive for the whole run, with its output going nowhere
# (it would otherwise hold every reader's pipe open for a second after each GUI test).
corvale_env_start_keeper() {
  local keeper_exe=$1
  local ready="$WINEPREFIX/drive_c/corvale-keeper.ready"
  rm -f "$ready"
  "$CORVALE_WINE" "$keeper_exe" 'C:\corvale-keeper.ready' </dev/null >/dev/null 2>&1 &
  corvale_env_pids+=($!)
  local i
  for i in $(seq 1 300); do
    [[ -f "$ready" ]] && return 0
    sleep 0.1
  done
  echo "wine-env: the keeper did not start" >&2
  return 1
}

corvale_env_stop() {
  local pid
  # The keeper and other Wine processes first, then the server, then the display.
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${corvale_env_pids[@]}"; do
    kill "$pid" >/dev/null 2>&1 || true
  done
  for pid in "${corvale_env_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  corvale_env_pids=()
}
