# Sourced by the scripts that run a network serial port: Debian's ser2net on a free loopback
# port in front of a device. Needs: $work, a temporary folder.
# start_ser2net KIND DEVICE [defaults]: KIND rfc2217 or socket; "defaults" leaves ser2net's
# own chardelay and Nagle on instead of the README's advice. Sets $s2n (its PID) and $url.
start_ser2net() {
  local kind=$1 device=$2 advised=yes port accepter
  [ "${3:-}" = defaults ] && advised=
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  accepter=tcp
  [ -n "$advised" ] && accepter='tcp(nodelay)'
  [ "$kind" = rfc2217 ] && accepter="telnet(rfc2217),$accepter"
  {
    echo "connection: &line"
    echo "    accepter: $accepter,127.0.0.1,$port"
    echo "    enable: on"
    echo "    options:"
    echo "      kickolduser: true"
    [ -n "$advised" ] && echo "      chardelay: false"
    echo "    connector: serialdev,$device,10400n81,local"
  } >"$work/ser2net-$port.yaml"
  /usr/sbin/ser2net -n -c "$work/ser2net-$port.yaml" -P "$work/ser2net-$port.pid" \
    >"$work/ser2net-$port.log" 2>&1 &
  s2n=$!
  # Listening, as the kernel's table says: a probing connection would open the line.
  local hex
  hex=$(printf ':%04X' "$port")
  for _ in $(seq 200); do
    awk -v p="$hex" '$2 ~ p"$" && $4 == "0A" {found = 1} END {exit !found}' /proc/net/tcp && break
    sleep 0.05
  done
  url="$kind://127.0.0.1:$port"
}
