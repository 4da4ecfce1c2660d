# Sourced by the scripts that build the Windows program and run it under Wine.
#
# Two Windows builds exist side by side: 32-bit ("32": build/win,
# cmake/mingw-i686.cmake) and 64-bit ("64": build/win64,
# cmake/mingw-x86_64.cmake). Each runs in a Wine prefix of its own
# architecture, started through that architecture's loader directly: Debian's
# `wine` wrapper always takes the 32-bit loader when wine32 is installed, and
# that loader fails with "Exec format error" where the kernel runs no 32-bit
# code.
#
# VELTRANO_WINE_ARCH=32 or 64 limits every script to that one architecture.

veltrano_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

wine_loader() {  # ARCH
  case $1 in
    32) echo /usr/lib/wine/wine ;;
    64) echo /usr/lib/wine/wine64 ;;
  esac
}

win_build_dir() {  # ARCH: the build folder, relative to the source root
  case $1 in
    32) echo build/win ;;
    64) echo build/win64 ;;
  esac
}

win_toolchain() {  # ARCH
  case $1 in
    32) echo cmake/mingw-i686.cmake ;;
    64) echo cmake/mingw-x86_64.cmake ;;
  esac
}

win_tool_prefix() {  # ARCH: the prefix of the binutils for that architecture
  case $1 in
    32) echo i686-w64-mingw32 ;;
    64) echo x86_64-w64-mingw32 ;;
  esac
}

win_configure() {  # ARCH: configures the build folder of ARCH (Release)
  cmake -S . -B "$(win_build_dir "$1")" -DCMAKE_TOOLCHAIN_FILE="$(win_toolchain "$1")" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
}

# Whether the kernel runs 32-bit x86 code: a 93-byte i386 program that only
# exits is written to DIR and started. Needs no 32-bit package installed.
kernel_runs_32bit() {  # DIR
  local probe="$1/.probe32"
  mkdir -p "$1"
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

# The architectures whose programs run under Wine here, 32 first: "32 64",
# "64", "32" or nothing. Each loader is asked for its version, which fails at
# once where it cannot run.
wine_arches() {
  local arches=() arch
  for arch in 32 64; do
    if [ -n "${VELTRANO_WINE_ARCH:-}" ] && [ "$VELTRANO_WINE_ARCH" != "$arch" ]; then continue; fi
    "$(wine_loader "$arch")" --version >/dev/null 2>&1 && arches+=("$arch")
  done
  echo "${arches[*]}"
}

# The one architecture a demo, screenshot or benchmark runs: 32-bit where it
# runs (the program most users take), else 64-bit. Fails when neither runs.
wine_arch() {
  local arches
  arches=$(wine_arches)
  if [ -z "$arches" ]; then
    echo "no Windows architecture${VELTRANO_WINE_ARCH:+ ($VELTRANO_WINE_ARCH-bit)} runs under Wine on this machine" >&2
    return 1
  fi
  echo "${arches%% *}"
}

# Makes the Wine of ARCH the one that `wine` (and winepath, which calls
# `wine-stable`) start, in prefix PREFIX: exports WINEPREFIX, WINEARCH and
# WINELOADER and puts two one-line scripts first on PATH.
wine_use() {  # ARCH PREFIX
  local arch=$1 shim="$veltrano_root/build/wine-bin/$arch"
  mkdir -p "$shim"
  local name
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec %s "$@"\n' "$(wine_loader "$arch")" >"$shim/$name"
    chmod +x "$shim/$name"
  done
  export PATH="$shim:$PATH" WINEPREFIX="$2" WINEARCH="win$arch" WINELOADER="$(wine_loader "$arch")"
  export WINEDEBUG=${WINEDEBUG:--all}
}

# Sets the display scale of the prefix in use (wine_use first) to DPI (96 is
# 100%, 144 150%, 192 200%); programs started afterwards run at it.
wine_set_dpi() {  # DPI
  local reg
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$1" >"$reg"
  wine regedit "$reg" >/dev/null 2>&1
  wineserver -w
  rm -f "$reg"
}
