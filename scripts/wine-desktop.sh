# Sourced by the Windows scripts that show windows.
# An X server of its own on a free display ($DISPLAY, process $xserver) with a Wine virtual
# desktop of 1024 x 768 on it: without a window manager Wine waits about two seconds on every
# hide.
start_desktop() {
  display=99
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xserver=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  # Every Wine program from here on sees the display: the first one to need the desktop makes
  # it, with or without one.
  export DISPLAY=":$display"
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # A server that made its desktop without this display would keep it: a new one.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1
}
