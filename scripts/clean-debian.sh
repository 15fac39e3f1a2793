# Shared by the checks on a clean Debian 12: sourced, not run.
# A minimal Debian 12 (debootstrap --variant=minbase) is made once from the mirror this
# machine's apt uses and kept in $MIRUBERO_CHECK_CACHE (/var/cache/mirubero-check); each
# check works on a copy of it in $root, removed again when the check ends. in_root runs a
# command in the copy with a clean environment, chrooted; in_container runs it as in a
# container, in a mount namespace whose root the copy is (bubblewrap's pivot_root), where
# a process may make namespaces of its own as on a real system.

cache=${MIRUBERO_CHECK_CACHE:-/var/cache/mirubero-check}
started=$SECONDS

# The first Debian mirror of apt's sources (one-line or deb822 form).
mirror=${MIRUBERO_MIRROR:-$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
  /etc/apt/sources.list.d/*.sources 2>/dev/null || true; } |
  sed -n -e 's|^deb \(\[[^]]*\] \)\?\(http[^ ]*/debian\)/\? .*|\2|p' \
    -e 's|^URIs: *\(http[^ ]*/debian\)/\?$|\1|p' | head -n 1)}
mirror=${mirror:-http://deb.debian.org/debian}

step() { printf '== %s (%ds)\n' "$*" $((SECONDS - started)); }
fail() { echo "${0##*/}: FAILED: $*" >&2; exit 1; }

base=$cache/bookworm-minbase
if [ ! -d "$base" ]; then
  step "debootstrap --variant=minbase bookworm from $mirror"
  mkdir -p "$cache"
  rm -rf "$base.tmp"
  debootstrap --variant=minbase bookworm "$base.tmp" "$mirror" >"$cache/debootstrap.log"
  mv "$base.tmp" "$base"
fi

root=$(mktemp -d /var/tmp/mirubero-check.XXXXXX)
cleanup() {
  set +e
  # Whatever still runs inside, then the mounts, then the copy.
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
  done
  for m in dev/pts dev/shm dev proc sys; do
    mountpoint -q "$root/$m" && umount -l "$root/$m"
  done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

step "copying the clean system to $root"
cp -a "$base/." "$root/"
chmod 0755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror}-security bookworm-security main
EOF

in_root() {
  if ! mountpoint -q "$root/proc"; then
    mount -t proc proc "$root/proc"
    mount -t sysfs sys "$root/sys"
    mount --bind /dev "$root/dev"
    mount -t devpts devpts "$root/dev/pts" -o newinstance,ptmxmode=0666
    mount -t tmpfs shm "$root/dev/shm"
  fi
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}

# Root keeps its capabilities in the container; it has its own process, IPC and host
# name namespaces, the machine's network, and ends with the check.
in_container() {
  bwrap --bind "$root" / --proc /proc --dev /dev --perms 1777 --tmpfs /dev/shm --ro-bind /sys /sys \
    --unshare-pid --unshare-ipc --unshare-uts --hostname mirubero-check --die-with-parent \
    /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}
