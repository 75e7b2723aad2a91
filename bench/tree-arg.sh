# Sourced by the benchmarks that take an architecture, with $root set, the
# argument in $1 and the benchmark's name in $2: x64 picks the 64-bit build,
# x86 (or none) the 32-bit one where this kernel runs it.
case "${1:-}" in
  x64) export TRAWLIX_TREE=x64 ;;
  x86 | "") unset TRAWLIX_TREE ;;
  *) echo "usage: bench/$2.sh [x86|x64]" >&2; exit 2 ;;
esac
. "$root/scripts/arch.sh"
if [ "${1:-}" = x86 ] && ! runs_32bit; then
  echo "$2 bench: this kernel runs no 32-bit program" >&2
  exit 1
fi
