# Sourced by scripts/setup: generates SQLite's single-file form (the
# amalgamation, sqlite3.c and sqlite3.h) from Debian's sqlite3 source package,
# for the builds to compile (CMake's VELTRANO_SQLITE_DIR, by default
# build/deps/sqlite). SQLite is not packaged for mingw-w64, and nothing but
# Debian's mirrors is reached: the source comes through `apt-get source` and
# the amalgamation is made by the source's own Tcl tools (tclsh from tcl).

# Makes `apt-get source` work where the machine has no source entries: each
# entry of its own apt sources (same mirrors, suites, components and keys) is
# written again as a source entry, into files of our own name, and the lists
# are updated. Nothing is done when apt already knows the sqlite3 source.
sqlite_enable_sources() {  # SUDO
  local sudo=$1 dir=/etc/apt/sources.list.d tmp f
  apt-cache showsrc sqlite3 2>/dev/null | grep '^Package: sqlite3$' >/dev/null && return 0
  tmp=$(mktemp -d)
  # deb822 files: every stanza whose Types has deb but not deb-src, verbatim
  # but for its Types (so "Enabled: no" stays off).
  for f in "$dir"/*.sources; do
    [ -f "$f" ] && [ "${f##*/}" != veltrano-deb-src.sources ] || continue
    awk '
      function flush() {
        if (binary && !source) { for (i = 1; i <= n; i++) print lines[i]; print "" }
        n = 0; binary = 0; source = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      {
        line = $0
        if (tolower($1) == "types:") {
          for (i = 2; i <= NF; i++) { if ($i == "deb") binary = 1; if ($i == "deb-src") source = 1 }
          line = "Types: deb-src"
        }
        lines[++n] = line
      }
      END { flush() }' "$f"
  done >"$tmp/veltrano-deb-src.sources"
  # One-line files: each "deb" line again as "deb-src".
  for f in /etc/apt/sources.list "$dir"/*.list; do
    [ -f "$f" ] && [ "${f##*/}" != veltrano-deb-src.list ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]\{1,\}/deb-src /p' "$f"
  done >"$tmp/veltrano-deb-src.list"
  for f in veltrano-deb-src.sources veltrano-deb-src.list; do
    if [ -s "$tmp/$f" ]; then
      $sudo install -m 644 "$tmp/$f" "$dir/$f"
    else
      $sudo rm -f "$dir/$f"
    fi
  done
  rm -rf "$tmp"
  echo "setup: source entries derived from the apt sources into $dir/veltrano-deb-src.*" >&2
  $sudo apt-get update -qq
  apt-cache showsrc sqlite3 2>/dev/null | grep '^Package: sqlite3$' >/dev/null || {
    echo "setup: apt knows no sqlite3 source package even with source entries" >&2
    return 1
  }
}

# Fetches the sqlite3 source package into DIR/src, generates the amalgamation
# there and keeps DIR/sqlite3.c, DIR/sqlite3.h and DIR/VERSION (the Debian
# version); the source tree is removed afterwards. sqlite3.c is written last,
# so its presence means the whole step is done.
sqlite_generate() {  # DIR
  local dir=$1 work=$1/src log=$1/setup.log tree
  rm -rf "$work" "$dir/sqlite3.c" "$dir/sqlite3.h"
  mkdir -p "$work/build"
  echo "setup: generating the SQLite amalgamation from Debian's sqlite3 source in $dir" >&2
  if ! (
    set -e
    cd "$work"
    apt-get source -q sqlite3
    tree=$(cd "$work"/sqlite3-*/ && pwd)
    cd build
    # The Tcl extension is not built: tclsh alone runs the generators.
    "$tree/configure" --disable-tcl --disable-readline --disable-editline
    make sqlite3.c
    dpkg-parsechangelog -l "$tree/debian/changelog" -S Version >"$dir/VERSION"
    cp sqlite3.h "$dir/sqlite3.h"
    cp sqlite3.c "$dir/sqlite3.c.part"
    mv "$dir/sqlite3.c.part" "$dir/sqlite3.c"
  ) >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "setup: generating the SQLite amalgamation failed (log: $log)" >&2
    return 1
  fi
  rm -rf "$work" "$log"
}
