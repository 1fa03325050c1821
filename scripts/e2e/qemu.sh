# How Wine runs 32-bit Windows programs on this kernel, which refuses 32-bit Linux programs:
#   qemu   through a binfmt_misc entry "qemu-i386": the 32-bit Wine (wine32:i386) runs under qemu-user;
#          slow: each 32-bit process takes a minute or two to start, nearly all of it Wine's own start-up
#   wow64  with no such entry: Wine 8 runs the 32-bit code inside a 64-bit Wine process (its WoW64 mode)
# The suite switches the entry as it needs and puts back the state that it found.

E2E_QEMU_ENTRY=/proc/sys/fs/binfmt_misc/qemu-i386
E2E_QEMU_FOUND=

e2e_qemu_state() {
  if [[ ! -e $E2E_QEMU_ENTRY ]]; then echo absent
  elif [[ $(head -n1 "$E2E_QEMU_ENTRY") == enabled ]]; then echo enabled
  else echo disabled; fi
}

# e2e_qemu_use qemu|wow64
e2e_qemu_use() {
  local want=$1 state dir=/proc/sys/fs/binfmt_misc
  state=$(e2e_qemu_state)
  [[ -n $E2E_QEMU_FOUND ]] || E2E_QEMU_FOUND=$state
  if [[ $want == qemu ]]; then
    [[ $state == enabled ]] && return 0
    [[ $(id -u) -eq 0 ]] || e2e_die "32-bit programs under qemu-user need the qemu-i386 binfmt_misc entry: run as root"
    if [[ $state == disabled ]]; then echo 1 >"$E2E_QEMU_ENTRY"; return 0; fi
    [[ -e $dir/register ]] || mount -t binfmt_misc binfmt_misc "$dir" || e2e_die "cannot mount binfmt_misc"
    [[ -x /usr/bin/qemu-i386 ]] || e2e_die "/usr/bin/qemu-i386 is missing (package qemu-user)"
    # Magic and mask of an i386 ELF executable; F: the interpreter is opened now, once.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:' \
      '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      >"$dir/register"
  else
    [[ $state == enabled ]] || return 0
    [[ $(id -u) -eq 0 ]] || e2e_die "the qemu-i386 binfmt_misc entry is on; run as root to switch it off for WoW64"
    echo 0 >"$E2E_QEMU_ENTRY"
  fi
}

e2e_qemu_restore() {
  [[ -n $E2E_QEMU_FOUND && $(e2e_qemu_state) != "$E2E_QEMU_FOUND" ]] || return 0
  case $E2E_QEMU_FOUND in
    absent) echo -1 >"$E2E_QEMU_ENTRY" ;;
    enabled) echo 1 >"$E2E_QEMU_ENTRY" ;;
    disabled) echo 0 >"$E2E_QEMU_ENTRY" ;;
  esac
}
