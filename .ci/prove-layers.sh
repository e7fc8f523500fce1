#!/usr/bin/env bash
# Shows that the build itself keeps the core apart from the window, in a scratch copy of
# the tree: a core file that includes a window header does not compile, and a core
# library that links Qt is refused at configure time. The same file compiles untouched.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git ls-files -z | xargs -0 cp --parents -t "$scratch"
object=CMakeFiles/kestrova_core.dir/imaging/ResizeSettings.cpp.o

cmake -S "$scratch" -B "$scratch/build" -G Ninja >/dev/null
cmake --build "$scratch/build" --target "$object" >/dev/null
echo "prove-layers: the untouched core file compiles"

sed -i '1i #include "ui/CKestrovaDlg.h"' "$scratch/imaging/ResizeSettings.cpp"
if cmake --build "$scratch/build" --target "$object" >"$scratch/out.log" 2>&1; then
    echo "prove-layers: a core file that includes a window header compiled"; exit 1
fi
grep -q 'ui/CKestrovaDlg.h: No such file' "$scratch/out.log" \
    || { cat "$scratch/out.log"; echo "prove-layers: the build failed for another reason"; exit 1; }
echo "prove-layers: a window include in a core file fails to build"

echo 'target_link_libraries(kestrova_core PUBLIC Qt6::Core)' >>"$scratch/imaging/CMakeLists.txt"
if cmake -S "$scratch" -B "$scratch/build" >"$scratch/out.log" 2>&1; then
    echo "prove-layers: a core library linked to Qt was configured"; exit 1
fi
grep -q 'kestrova_core must not link Qt6::Core' "$scratch/out.log" \
    || { cat "$scratch/out.log"; echo "prove-layers: configuring failed for another reason"; exit 1; }
echo "prove-layers: Qt in the core's link libraries is refused"
