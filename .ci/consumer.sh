#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and uses it as a stranger
# would: a C and a C++ program built against the installed library through
# find_package(Tolvane) and through pkg-config, the installed tolvane-call,
# and the installed Python package.
# usage: .ci/consumer.sh BUILD_DIR [--multiarch]
#   --multiarch  also configure and install a second build with the Debian
#                libdir lib/<triplet> and check tolvane-call finds it there
set -euo pipefail
build=$(cd "${1:?usage: .ci/consumer.sh BUILD_DIR [--multiarch]}" && pwd)
multiarch=${2:-}
src=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unset TOLVANE_LIBRARY LD_LIBRARY_PATH
fail() { echo "consumer: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" > "$tmp/install.log"
libdir=$(sed -n 's/^libdir=\${prefix}\///p' "$build/tolvane.pc")
[ -n "$libdir" ] || fail "cannot read the libdir from $build/tolvane.pc"

echo "== installed files ($libdir)"
for f in "$libdir/libtolvane.so.4" "$libdir/libtolvane.so" include/tolvane/host.h bin/tolvane-call \
         "$libdir/cmake/Tolvane/TolvaneConfig.cmake" "$libdir/cmake/Tolvane/TolvaneConfigVersion.cmake" \
         "$libdir/pkgconfig/tolvane.pc"; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
soname=$(objdump -p "$prefix/$libdir/libtolvane.so.4" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libtolvane.so.4 ] || fail "soname is '$soname', expected libtolvane.so.4"

echo "== CMake find_package"
cmake -S "$src/examples/consumer" -B "$tmp/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > "$tmp/cmake.log" \
  || { cat "$tmp/cmake.log"; fail "find_package(Tolvane 4.03) failed"; }
cmake --build "$tmp/cmake" > "$tmp/cmake-build.log" || { cat "$tmp/cmake-build.log"; fail "CMake consumer build"; }
"$tmp/cmake/hello_c"
"$tmp/cmake/hello_cpp"
# The version file: a 5.x request must not accept 4.x.
mkdir -p "$tmp/v5"
printf 'cmake_minimum_required(VERSION 3.16)\nproject(v5 LANGUAGES NONE)\nfind_package(Tolvane 5 REQUIRED)\n' \
  > "$tmp/v5/CMakeLists.txt"
if cmake -S "$tmp/v5" -B "$tmp/v5/build" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null 2>&1; then
  fail "find_package(Tolvane 5) accepted version 4"
fi

echo "== pkg-config"
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion tolvane)" = 4.03 ] || fail "pkg-config version"
cc -o "$tmp/pc_c" "$src/examples/consumer/hello.c" $(pkg-config --cflags --libs tolvane)
c++ -std=c++17 -o "$tmp/pc_cpp" "$src/examples/consumer/hello.cpp" $(pkg-config --cflags --libs tolvane)
LD_LIBRARY_PATH=$prefix/$libdir "$tmp/pc_c"
LD_LIBRARY_PATH=$prefix/$libdir "$tmp/pc_cpp"
# Moved elsewhere, the .pc file still points into its own tree.
mv "$prefix" "$tmp/moved"
prefix=$tmp/moved
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
case "$(pkg-config --libs tolvane)" in
  *"$tmp/moved/"*) ;;
  *) fail "tolvane.pc does not follow its tree: $(pkg-config --libs tolvane)" ;;
esac

echo "== installed tolvane-call"
"$prefix/bin/tolvane-call" Version | grep -q '^Version = 4.03' || fail "installed tolvane-call"

echo "== installed Python package"
pydir=$(find "$prefix" -type d -name tolvane -path '*python*' | head -n1)
[ -n "$pydir" ] || fail "Python package not installed"
PYTHONPATH=$(dirname "$pydir") python3 -c '
import tolvane, sys
lib = tolvane.Library()
assert abs(lib.Version().code - 4.03) < 1e-6, lib.Version()
print("tolvane", lib.version, "from Python, loaded from", lib.path)
' || fail "Python package cannot use the installed library"

if [ "$multiarch" = --multiarch ]; then
  echo "== Debian multiarch libdir"
  triplet=$(cc -print-multiarch 2>/dev/null || true)
  triplet=${triplet:-x86_64-linux-gnu}
  cmake -S "$src" -B "$tmp/ma" -G Ninja -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF \
    -DCMAKE_INSTALL_LIBDIR="lib/$triplet" > /dev/null
  cmake --build "$tmp/ma" --target tolvane tolvane-call > /dev/null
  cmake --install "$tmp/ma" --prefix "$tmp/ma-prefix" > /dev/null
  [ -e "$tmp/ma-prefix/lib/$triplet/libtolvane.so.4" ] || fail "multiarch libdir not used"
  "$tmp/ma-prefix/bin/tolvane-call" Version | grep -q '^Version = 4.03' \
    || fail "tolvane-call does not find lib/$triplet"
fi
echo "consumer: all checks passed"
