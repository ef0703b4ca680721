#!/usr/bin/env bash
# scripts/arm64_sysroot.sh: makes an arm64 (aarch64) Debian 12 root folder holding CPython 3.11 and the
# libraries it needs, to run that interpreter on this machine under qemu-aarch64 -L; installs qemu-user.
#
# No multiarch: the system's dpkg and Python are left alone. apt runs with a private configuration
# (native architecture arm64, its own lists, cache and an empty status file, all in OUT.apt/) over
# the sources this machine already has configured; the Depends of the packages below are resolved
# against nothing installed (no Recommends), fetched with apt-get download, and each .deb is
# unpacked with dpkg-deb -x. A stamp keyed by the package list makes a second run quick.
#
# Usage: bash scripts/arm64_sysroot.sh [OUT]   (OUT defaults to build/sysroot-aarch64)
#        qemu-aarch64 -L OUT OUT/usr/bin/python3.11 -c 'import platform; print(platform.machine())'
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-build/sysroot-aarch64}
out=${out%/}
# libpython3.11-minimal (pulled in) holds _ssl and _hashlib; libpython3.11-stdlib holds the rest of
# lib-dynload (_sqlite3, _ctypes, _decimal, _multiprocessing, ...) and the libraries they load.
packages=(python3.11-minimal libpython3.11-stdlib)
key="arm64 bookworm: ${packages[*]} (layout 1)"
stamp=$out/.sysroot-stamp

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

if ! command -v qemu-aarch64 >/dev/null; then
  echo "== installing qemu-user (for qemu-aarch64)"
  install_qemu=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive
                apt-get install -y -q --no-install-recommends qemu-user)
  "${install_qemu[@]}" || { "${as_root[@]}" apt-get update -q && "${install_qemu[@]}"; }
fi

if [ -f "$stamp" ] && [ "$(head -n 1 "$stamp")" = "$key" ] && [ -x "$out/usr/bin/python3.11" ]; then
  echo "== $out is complete ($(($(wc -l <"$stamp") - 1)) packages; delete it to rebuild)"
else
  mkdir -p "$out.apt"
  work=$(cd "$out.apt" && pwd)
  mkdir -p "$work/state/lists/partial" "$work/cache/archives/partial" "$work/debs"
  : >"$work/state/status"  # nothing is installed, so every dependency gets resolved
  apt_opts=(-q
    -o APT::Architecture=arm64 -o APT::Architectures=arm64
    -o Dir::State="$work/state" -o Dir::State::status="$work/state/status"
    -o Dir::Cache="$work/cache" -o Dir::Cache::pkgcache=pkgcache.bin
    -o Dir::Cache::srcpkgcache=srcpkgcache.bin)
  # As root, apt downloads as the user _apt, who may not be able to enter the build folder.
  [ "$(id -u)" -ne 0 ] || apt_opts+=(-o APT::Sandbox::User=root)

  echo "== apt-get update (arm64 indexes of the configured sources, into $out.apt)"
  apt-get "${apt_opts[@]}" update >"$work/update.log" || { cat "$work/update.log"; exit 1; }

  echo "== resolving the Depends of ${packages[*]}"
  mapfile -t resolved < <(apt-get "${apt_opts[@]}" -s --no-install-recommends install "${packages[@]}" |
                            sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p' | sort)
  [ "${#resolved[@]}" -gt 0 ] || { echo "apt resolved no packages" >&2; exit 1; }

  echo "== downloading ${#resolved[@]} packages"
  (cd "$work/debs" && apt-get "${apt_opts[@]}" download "${resolved[@]}")
  # Keep exactly the resolved versions (older downloads are dropped).
  wanted=" ${resolved[*]} "
  debs=()
  for deb in "$work"/debs/*.deb; do
    id=$(dpkg-deb --show --showformat='${Package}=${Version}' "$deb")
    if [[ $wanted == *" $id "* ]]; then debs+=("$deb"); else rm -f "$deb"; fi
  done
  [ "${#debs[@]}" -eq "${#resolved[@]}" ] || { echo "expected ${#resolved[@]} .debs, have ${#debs[@]}" >&2; exit 1; }

  echo "== unpacking into $out"
  tmp=$out.tmp
  rm -rf "$tmp"
  mkdir -p "$tmp"
  for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$tmp"; done

  # Absolute symlinks (e.g. usr/lib/python3.11/sitecustomize.py -> /etc/python3.11/...) would be
  # followed by the host kernel into the host's files: make them relative to the root folder.
  while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    [[ $target == /* ]] || continue
    ln -sfn "$(realpath -ms --relative-to="$(dirname "$link")" "$tmp$target")" "$link"
  done < <(find "$tmp" -type l -print0)
  # qemu -L falls back to the host's file when the root folder lacks a path. Without these, the
  # arm64 loader would read the host's /etc/ld.so.cache (an empty one means: search the default
  # /lib/aarch64-linux-gnu and /usr/lib/aarch64-linux-gnu), and site.py would add the host's
  # dist-packages folders to sys.path.
  mkdir -p "$tmp/etc" "$tmp/usr/lib/python3/dist-packages" "$tmp/usr/local/lib/python3.11/dist-packages"
  : >"$tmp/etc/ld.so.cache"

  rm -f "$work"/cache/*.bin  # apt's binary caches (70 MB) only speed up the calls above
  printf '%s\n' "$key" "${resolved[@]}" >"$tmp/.sysroot-stamp"
  rm -rf "$out"
  mv "$tmp" "$out"
  echo "== $out: ${#resolved[@]} packages, $(du -ch "${debs[@]}" | tail -n 1 | cut -f 1) of .debs," \
       "$(du -sh "$out" | cut -f 1) unpacked"
fi

echo "Run the arm64 interpreter with:"
echo "  qemu-aarch64 -L $out $out/usr/bin/python3.11 -c 'import platform; print(platform.machine())'"
echo "(pure-Python packages, e.g. from the host's pip install --target DIR, work via PYTHONPATH=DIR)"
