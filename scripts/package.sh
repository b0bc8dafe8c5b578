#!/usr/bin/env bash
# Builds the Debian package build-package/dv2edit_VERSION_ARCH.deb with
# CPack: dv2edit and dv2tool in /usr/bin, the desktop entry, icon, AppStream
# metainfo and man pages; dependencies found by dpkg-shlibdeps. Compiled with
# Debian's hardening flags, stripped, and checked by lintian: any error or
# warning fails. Install it with: apt install ./build-package/dv2edit_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
appstreamcli validate --no-net packaging/*.metainfo.xml
# Every hardening feature dpkg-buildflags knows (bindnow is off by default).
# CMake reads no CPPFLAGS, so the preprocessor's (_FORTIFY_SOURCE) join the compiler's.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DDV2_BUILD_TESTS=OFF $(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --build build-package -j "$(nproc)"
(cd build-package && cpack -G DEB)
deb=$(ls build-package/dv2edit_*.deb)
lintian -I -E --pedantic --fail-on error,warning "$deb"
echo "$deb"
