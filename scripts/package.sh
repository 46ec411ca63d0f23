#!/usr/bin/env bash
# Builds the Debian package: a release tree in build-pkg with Debian's own compiler and linker
# flags, then `cpack -G DEB`. Prints the path of the package, which installs with
#   sudo apt install ./build-pkg/tavi_*.deb
source "$(dirname "$0")/common.sh"
install_packages
dir="$TOP/build-pkg"
# Debian's flags (optimisation, hardening) replace CMake's release optimisation; the tests
# and benchmarks are not part of the package.
cmake -S "$TOP" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTAVI_TESTS=OFF -DTAVI_BENCH=OFF \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
    -DCMAKE_EXE_LINKER_FLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
    >/dev/null
cmake --build "$dir" -j "$JOBS"
rm -f "$dir"/tavi_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/tavi_*.deb
