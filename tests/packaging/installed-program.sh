#!/usr/bin/env bash
# Installs the build into a fresh prefix, makes the prefix read-only and runs
# the installed program offscreen, as an unprivileged user (CI runs as root,
# which ignores file modes), with --port pointing at the installed elmsim.
# Passes when the program's log in the user's data folder shows the vehicle's
# answer to 0100, the tables were copied there, and the stored port is still
# the one stored before; and when --version and the manual page give the
# project's version.
# Usage: installed-program.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail

usage="usage: installed-program.sh BUILD_DIR WORK_DIR VERSION"
build=${1:?$usage}
work=${2:?$usage}
version=${3:?$usage}
fail() { echo "installed-program: $*" >&2; exit 1; }

if [ -e "$work" ]; then
    chmod -R u+w "$work"
    rm -rf "$work"
fi
prefix=$work/prefix
home=$work/home
runtime=$work/runtime
mkdir -p "$work" "$home/.config/Quorix" "$runtime"
chmod 700 "$runtime"
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R a-w "$prefix"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$home" "$runtime"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
printf '[General]\nPort=/dev/ttyS7\n' >"$home/.config/Quorix/OBDTorvane.conf"
[ ${#as_user[@]} -eq 0 ] || chown 65534:65534 "$home/.config/Quorix/OBDTorvane.conf"

# Starts a program in the background as the user, in the test's home; env,
# setpriv and the program are one process, so its id ends the program.
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
start() {
    local out=$1
    shift
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime" \
        QT_QPA_PLATFORM=offscreen "${as_user[@]}" "$@" >"$out" 2>&1 &
    pids+=($!)
}

sim_out=$work/elmsim.out
start "$sim_out" "$prefix/bin/elmsim"
for _ in $(seq 100); do
    [ "$(wc -l <"$sim_out")" -ge 2 ] && break
    sleep 0.1
done
link=$(sed -n 2p "$sim_out")
[ -n "$link" ] || fail "elmsim did not announce its port"

start "$work/program.out" "$prefix/bin/obd-torvane" --port "$link"
user_data=$home/.local/share/obd-torvane
log=$user_data/LogFile.txt
for _ in $(seq 600); do
    grep -q ' - R: 4100' "$log" 2>/dev/null && break
    kill -0 "${pids[1]}" 2>/dev/null || fail "the program ended early: $(cat "$work/program.out")"
    sleep 0.1
done
grep -q ' - R: 4100' "$log" 2>/dev/null || fail "no answer to 0100 in $log: $(cat "$log" 2>/dev/null)"

for t in options customer dtchead dtcmain; do
    [ -f "$user_data/data/$t.dbf" ] || fail "$t.dbf was not copied into $user_data/data"
done
grep -qx 'Port=/dev/ttyS7' "$home/.config/Quorix/OBDTorvane.conf" ||
    fail "--port changed the stored port: $(cat "$home/.config/Quorix/OBDTorvane.conf")"
shown=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/obd-torvane" --version)
[ "$shown" = "obd-torvane $version" ] || fail "--version says '$shown', not $version"
zcat "$prefix/share/man/man1/obd-torvane.1.gz" | head -1 | grep -qF "\"obd-torvane $version\"" ||
    fail "the manual page does not give version $version"
echo "installed-program: connected through $link, files in $user_data"
