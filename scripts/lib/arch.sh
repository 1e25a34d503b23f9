# Sourced by the scripts: which build of Corvale this machine can run under Wine.
# Corvale.exe is a 32-bit program, and it is always built as one. Running it needs a
# kernel that runs 32-bit Linux programs (wine32); where the kernel cannot, the same
# sources are built a second time for x86_64, and the tests, the screenshots and
# scripts/run use that build under wine64. CORVALE_TEST_ARCH=i686|x86_64 overrides.

corvale_runnable_arch() {
  if [[ -n "${CORVALE_TEST_ARCH:-}" ]]; then
    echo "$CORVALE_TEST_ARCH"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}

# corvale_runnable_build_dir BUILD_DIR: where the build that runs here lives.
corvale_runnable_build_dir() {
  if [[ $(corvale_runnable_arch) == i686 ]]; then echo "$1"; else echo "$1/x64"; fi
}
