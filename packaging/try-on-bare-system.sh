#!/usr/bin/env bash
# The release check: installs the Debian package on a bare Debian system and uses it there.
#
#   sudo packaging/try-on-bare-system.sh [PACKAGE.deb]
#
# Makes a minimal root of this machine's Debian release with debootstrap, from the Debian
# mirror this machine's apt already uses, installs the package there with apt-get (so its
# own dependencies must bring Qt and the display plug-ins), starts the installed program
# as an ordinary user on a private X server, checks that the chooser shows and that no
# message about missing movies does, then purges the package and checks that the system
# is back to its packages from before and holds no file of the package. Needs root,
# debootstrap, Xvfb, xdotool and ImageMagick's import on this machine, and the mirror
# over the network.
#
# The package defaults to the one CPack wrote in build-release/. SOMNARA_BARE_CACHE names
# a folder where debootstrap keeps the packages it fetched, for a quicker next run;
# SOMNARA_BARE_SHOTS a folder for the screenshot of the chooser.
set -euo pipefail
cd "$(dirname "$0")/.."

say() { printf '%s  %s\n' "$(date +%T)" "$*"; }
fail() { say "FAILED: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap and chroot)"
for tool in debootstrap Xvfb xdotool import; do
  command -v "$tool" >/dev/null || fail "needs $tool"
done

deb=${1:-}
if [ -z "$deb" ]; then
  debs=(build-release/somnara_*.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single package in build-release/; name one"
  deb=${debs[0]}
fi
[ -f "$deb" ] || fail "no such package: $deb"
deb=$(readlink -f "$deb")
started=$SECONDS

# The suites of this release that apt already fetches (release, updates, security), each
# from the mirror it is fetched from: the root sees the same archive as this machine.
. /etc/os-release
release=${VERSION_CODENAME:?this is not a Debian release with a code name}
arch=$(dpkg --print-architecture)
mapfile -t suites < <(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' \
                        "Identifier: Packages" "Architecture: $arch" |
                      awk -v rel="$release" '$2 == rel || index($2, rel "-") == 1' | sort -u)
mirror=$(printf '%s\n' "${suites[@]}" | awk -v rel="$release" '$2 == rel && $3 == "main" { print $1; exit }')
[ -n "$mirror" ] || fail "apt fetches no $release main here; run apt-get update first"

work=$(mktemp -d /var/tmp/somnara-bare.XXXXXX)
root=$work/root
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  # Nothing may stay mounted inside the root before it is removed.
  for mount in "$root/run/tester" "$root/proc"; do
    mountpoint -q "$mount" && umount -l "$mount"
  done
  rm -rf "$work"
}
trap cleanup EXIT

say "debootstrap $release ($arch, minbase) from $mirror"
cache_args=()
if [ -n "${SOMNARA_BARE_CACHE:-}" ]; then
  mkdir -p "$SOMNARA_BARE_CACHE"
  cache_args=(--cache-dir="$(readlink -f "$SOMNARA_BARE_CACHE")")
fi
debootstrap --variant=minbase "${cache_args[@]}" "$release" "$root" "$mirror" > "$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log" >&2; fail "debootstrap"; }
: > "$root/etc/apt/sources.list"
for suite in "${suites[@]}"; do
  read -r uri suite_name component <<< "$suite"
  echo "deb $uri $suite_name $component" >> "$root/etc/apt/sources.list"
done
mount -t proc proc "$root/proc"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
installed() { in_root dpkg-query -W -f '${Package} ${Status}\n' | sort; }
# Every path on the system except the ones that change by themselves (apt's and dpkg's
# own records, logs, caches, the kernel's and the test user's folders).
paths() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./var/lib/apt -o -path ./var/lib/dpkg \
     -o -path ./var/cache -o -path ./var/log -o -path ./home -o -path ./run -o -path ./tmp \
     -o -path ./etc/ld.so.cache \) -prune -o -print | sort)
}

say "apt-get update inside the root"
in_root apt-get update -qq > "$work/update.log" 2>&1 || { cat "$work/update.log" >&2; fail "apt-get update"; }
in_root useradd --create-home --uid 4242 tester
installed > "$work/packages-before"
paths > "$work/paths-before"

say "apt-get install $(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get install -y -q "/tmp/$(basename "$deb")" > "$work/install.log" 2>&1 ||
  { tail -30 "$work/install.log" >&2; fail "apt-get install"; }
say "installed with $(grep -c '^Setting up' "$work/install.log") packages set up"
for plugin in platforms/libqxcb.so platforms/libqwayland-generic.so; do
  [ -f "$root/usr/lib/$(uname -m)-linux-gnu/qt6/plugins/$plugin" ] || fail "the install brought no $plugin"
done
in_root dpkg -L somnara > "$work/files"
[ -f "$root/usr/share/man/man1/somnara.1.gz" ] || fail "no manual page installed"

# A private X server on this machine; the program in the root reaches it through the
# server's abstract socket, which the root shares with this machine.
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5> "$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -1 "$work/display")"

say "starting the installed program as an ordinary user on $display"
mkdir -p "$root/run/tester"
chown 4242:4242 "$root/run/tester"
chmod 700 "$root/run/tester"
chroot --userspec=4242:4242 "$root" env -i PATH=/usr/bin:/bin HOME=/home/tester LANG=C.UTF-8 \
  DISPLAY="$display" XDG_RUNTIME_DIR=/run/tester QT_QPA_PLATFORM=xcb \
  /usr/bin/somnara > "$work/program.log" 2>&1 &
program_pid=$!

chooser=""
for _ in $(seq 1 150); do
  chooser=$(DISPLAY=$display xdotool search --onlyvisible --name '^Somnara v1\.45$' 2>/dev/null | head -1) || true
  [ -n "$chooser" ] && break
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.2
done
# Let a late message box (the one about missing movies) have its chance to show.
sleep 2
message=$(DISPLAY=$display xdotool search --onlyvisible --name '^Somnara$' 2>/dev/null | head -1) || true
shots=${SOMNARA_BARE_SHOTS:-$work}
mkdir -p "$shots"
DISPLAY=$display import -window root "$shots/bare-system-chooser.png"
running=yes
kill -0 "$program_pid" 2>/dev/null || running=no
[ -n "$chooser" ] && geometry=$(DISPLAY=$display xdotool getwindowgeometry "$chooser" | tr -s '\n ' ' ')
[ "$running" = yes ] && kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
[ -n "$chooser" ] || { cat "$work/program.log" >&2; fail "the chooser never showed (program running: $running)"; }
[ -z "$message" ] || fail "a message box showed beside the chooser: the movies were not found"
[ "$running" = yes ] || fail "the program ended by itself"
say "the chooser showed:$geometry; screenshot in $shots/bare-system-chooser.png"
[ -s "$work/program.log" ] && { say "the program said:"; sed 's/^/    /' "$work/program.log"; }
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""

say "apt-get purge somnara, then autoremove --purge"
in_root apt-get purge -y -q somnara > "$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; fail "purge"; }
in_root apt-get autoremove --purge -y -q >> "$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; fail "autoremove"; }
installed > "$work/packages-after"
paths > "$work/paths-after"
diff -u "$work/packages-before" "$work/packages-after" > "$work/packages.diff" ||
  { cat "$work/packages.diff" >&2; fail "the packages differ from before the install"; }
in_root dpkg-query -W somnara > /dev/null 2>&1 && fail "dpkg still knows the package after the purge"
left=()
while read -r path; do
  [ -e "$root$path" ] && [ ! -d "$root$path" ] && left+=("$path")
done < "$work/files"
for folder in /usr/lib/somnara /usr/share/doc/somnara; do
  [ -e "$root$folder" ] && left+=("$folder")
done
[ ${#left[@]} -eq 0 ] || fail "left behind: ${left[*]}"
# Some of the packages that came with it leave files of their own behind when purged
# (a machine id, state folders); those are listed, and none may be ours.
if ! diff "$work/paths-before" "$work/paths-after" > "$work/paths.diff"; then
  grep -i somnara "$work/paths.diff" && fail "a file of ours is left"
  say "left by packages that came with it and went again (Debian's, not ours):"
  grep '^[<>]' "$work/paths.diff" | sed 's/^/    /'
fi

say "PASSED in $((SECONDS - started)) s: installed from $(basename "$deb"), the chooser showed, purged with nothing of it left"
