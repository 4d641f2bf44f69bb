# Sourced by the Windows scripts: COM1 under Wine as a line to the Linux simulator. Wine maps
# COM1 to a pseudo-terminal with zagruzchik-sim on its far side; Wine asks the modem lines of a
# serial port, which a pseudo-terminal refuses: tests/windows/pty_modem_lines.c answers for it
# (run the Windows programs with LD_PRELOAD="$work/pty_modem_lines.so").
# Needs: $work, a temporary folder; the current folder, the project's; scripts/build-windows
# run (it builds the simulator too).
cc -shared -fPIC -O2 -Wall -o "$work/pty_modem_lines.so" tests/windows/pty_modem_lines.c -ldl
# Wine takes a port's mapping from the registry when its server starts: COM1 is mapped once, to
# a link that each simulator's pseudo-terminal then takes over.
map_com1() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1
}
map_com1 "$work/line"
# Starts the simulator in folder $1 with options $2...; its pseudo-terminal becomes COM1.
start_target() {
  local folder=$1
  shift
  rm -f "$folder/sim.out"
  (cd "$folder" && exec "$OLDPWD/build/zagruzchik-sim" "$@" >sim.out 2>sim.err) &
  sim=$!
  for _ in $(seq 100); do [ -s "$folder/sim.out" ] && break; sleep 0.1; done
  ln -sfn "$(head -n1 "$folder/sim.out")" "$work/line"
}
# A HEX file of $2 random bytes from address 0 at $1.
write_hex() {
  python3 - "$1" "$2" <<'PY'
import random, sys
data = bytes(random.Random(7).randrange(256) for _ in range(int(sys.argv[2])))
lines = []
for at in range(0, len(data), 32):
    if at % 0x10000 == 0:
        rec = bytes([2, 0, 0, 4, 0, at >> 16])
        lines.append(":" + rec.hex().upper() + "%02X" % (-sum(rec) & 255))
    chunk = data[at:at + 32]
    rec = bytes([len(chunk), (at >> 8) & 255, at & 255, 0]) + chunk
    lines.append(":" + rec.hex().upper() + "%02X" % (-sum(rec) & 255))
lines.append(":00000001FF")
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
PY
}
