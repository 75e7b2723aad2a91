# Sourced by the benchmark scripts with $root set and the benchmark's name in
# $1: builds, picks the build this kernel runs natively (the first line says
# which), starts its Wine session (stopped on exit) and restarts the
# session's server on CPU 0, where the benchmark runs beside it, so figures
# of one run compare.
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/arch.sh"
tree_name=$(native_tree)
build="$root/build/$tree_name"
echo "$1: build/$tree_name ($([ "$tree_name" = target ] && echo 32-bit || echo 64-bit))"
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
. "$root/scripts/wine-env.sh"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
taskset -c 0 wineserver -p >/dev/null 2>&1 </dev/null
