# Sourced: what this machine's kernel runs. Some kernels run 64-bit user code
# only (i386 execve fails), and Wine's 32-bit loader is then no use.
runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}
# The Windows build tree this kernel runs natively: the 32-bit product where
# it can, else the 64-bit build. TRAWLIX_TREE=x64 chooses the 64-bit build
# where both run (for the benchmarks and the run command).
native_tree() {
  if [ "${TRAWLIX_TREE:-}" = x64 ] || ! runs_32bit; then echo x64; else echo target; fi
}
