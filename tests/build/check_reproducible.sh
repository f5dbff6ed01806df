#!/usr/bin/env bash
# Two builds of the same sources give the same bytes: the program is built
# once more, alone, in a fresh build folder with the same compilers, and
# compared with the one under test. The link writes no timestamp
# (--no-insert-timestamp) and the compiler no build paths (-ffile-prefix-map),
# so nothing differs between the two.
set -euo pipefail
: "${RADIO_SOURCE_DIR:?}" "${RADIO_BUILD_DIR:?}" "${RADIO_EXE:?}"

fresh=$(mktemp -d "${TMPDIR:-/tmp}/radio-rebuild.XXXXXX")
trap 'rm -rf "$fresh"' EXIT

compilers=()
[ -n "${RADIO_C_COMPILER:-}" ] && compilers+=(-DCMAKE_C_COMPILER="$RADIO_C_COMPILER")
[ -n "${RADIO_CXX_COMPILER:-}" ] && compilers+=(-DCMAKE_CXX_COMPILER="$RADIO_CXX_COMPILER")
[ -n "${RADIO_RC_COMPILER:-}" ] && compilers+=(-DCMAKE_RC_COMPILER="$RADIO_RC_COMPILER")

if ! cmake -S "$RADIO_SOURCE_DIR" -B "$fresh" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$RADIO_SOURCE_DIR/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE="${RADIO_BUILD_TYPE:-Release}" "${compilers[@]}" \
    -DRADIO_BUILD_TESTS=OFF -DRADIO_BUILD_BENCH=OFF >"$fresh/configure.log" 2>&1; then
  echo "FAIL: the second configuration failed:" >&2
  tail -30 "$fresh/configure.log" >&2
  exit 1
fi
if ! cmake --build "$fresh" --target MuravaRadio >"$fresh/build.log" 2>&1; then
  echo "FAIL: the second build failed:" >&2
  tail -30 "$fresh/build.log" >&2
  exit 1
fi

again=$fresh/${RADIO_EXE#"$RADIO_BUILD_DIR"/}
if ! cmp "$RADIO_EXE" "$again"; then
  echo "FAIL: $RADIO_EXE and a second build of it differ" >&2
  echo "(is the program under test built from the sources as they are now?)" >&2
  exit 1
fi
echo "identical: $(stat -c %s "$RADIO_EXE") bytes"
