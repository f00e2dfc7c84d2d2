#!/usr/bin/env bash
# Which of the two Windows builds this machine can run under Wine. Sourced by
# the other scripts:
#   vantrel_runs_32bit          true when a 32-bit program really runs here
#   vantrel_arches              the builds to test: "i686 x86_64" or "x86_64"
#   vantrel_arch_reason         one line saying which builds and why
# ARCH=x86_64 takes the 64-bit path on any machine; ARCH=i686 asks for the
# 32-bit build only (refused where it cannot run).

# A 32-bit Linux program of 121 bytes, written here so that the probe needs no
# package: it writes one byte, waits for one byte on its input and exits.
vantrel_write_probe() { # path
  local elf=''
  elf+='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'   # ELF32, little-endian
  elf+='\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'           # executable, i386, entry
  elf+='\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'           # program headers at 52
  elf+='\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'           # one program header
  elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' # load all at 0x08048000
  elf+='\x79\x00\x00\x00\x79\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  elf+='\xb8\x04\x00\x00\x00\xbb\x01\x00\x00\x00\x89\xe1\xba\x01\x00\x00\x00\xcd\x80' # write(1, sp, 1)
  elf+='\xb8\x03\x00\x00\x00\x31\xdb\xcd\x80'                       # read(0, sp, 1)
  elf+='\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'                       # exit(0)
  printf '%b' "$elf" >"$1"
  chmod +x "$1"
}

# Starts the probe and, while it waits, asks the kernel which program the
# process runs: a 32-bit program run natively is itself, one handed to an
# emulator through binfmt_misc shows the emulator instead, which does not
# count (it is far too slow for Wine).
vantrel_runs_32bit() {
  if [ -n "${VANTREL_RUNS_32BIT:-}" ]; then [ "$VANTREL_RUNS_32BIT" = yes ]; return; fi
  local dir probe exe='' byte=''
  dir=$(mktemp -d)
  probe="$dir/probe32"
  vantrel_write_probe "$probe"
  local real
  real=$(readlink -f "$probe")
  coproc VANTREL_PROBE { exec "$probe" 2>/dev/null; }
  local pid=$VANTREL_PROBE_PID in=${VANTREL_PROBE[0]} out=${VANTREL_PROBE[1]}
  if IFS= read -r -n 1 -t 10 -u "$in" byte; then
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null || true)
  fi
  # In a subshell: a probe that never started has closed its end (SIGPIPE).
  (printf x >&"$out") 2>/dev/null || true
  exec {in}<&- {out}>&-
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
  if [ -n "$exe" ] && [ "$exe" = "$real" ]; then VANTREL_RUNS_32BIT=yes; else VANTREL_RUNS_32BIT=no; fi
  export VANTREL_RUNS_32BIT
  [ "$VANTREL_RUNS_32BIT" = yes ]
}

vantrel_arches() {
  case "${ARCH:-}" in
    x86_64) echo x86_64 ;;
    i686) echo i686 ;;
    "") if vantrel_runs_32bit; then echo "i686 x86_64"; else echo x86_64; fi ;;
    *) echo "ARCH must be i686 or x86_64, not '$ARCH'" >&2; return 2 ;;
  esac
}

vantrel_arch_reason() {
  case "${ARCH:-}" in
    x86_64) echo "64-bit build only: ARCH=x86_64 asks for it." ;;
    i686)
      if vantrel_runs_32bit; then echo "32-bit build only: ARCH=i686 asks for it."
      else echo "ARCH=i686: this machine runs no 32-bit program, so the 32-bit build cannot be tested here." >&2; return 2; fi ;;
    *)
      if vantrel_runs_32bit; then echo "32-bit and 64-bit builds: this machine runs 32-bit programs."
      else echo "64-bit build only: this machine runs no 32-bit program (a 32-bit probe did not start natively)."; fi ;;
  esac
}

# The Wine loader for a build.
vantrel_wine_for() { # arch
  case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

# The CMake preset of a build.
vantrel_preset_for() { # arch
  case "$1" in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
  esac
}
