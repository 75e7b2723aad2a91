# Sourced: what this machine's kernel runs. Some kernels run 64-bit user code
# only (i386 execve fails), and Wine's 32-bit loader is then no use.
runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}
# The Windows build tree this kernel runs natively: the 32-bit product where
# it can, else the 64-bit build.
native_tree() {
  if runs_32bit; then echo target; else echo x64; fi
}
