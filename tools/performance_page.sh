# Sourced by tools/measure.sh and tools/bench.sh: the machine a measurement ran on, and the
# writing of a script's own section of docs/performance.md, which leaves the other's as it is.
# shellcheck shell=bash

performance_page=docs/performance.md

# The one-minute load average now.
load_average() { cut -d ' ' -f 1 /proc/loadavg; }

# One Markdown line: the date, the processor and its cores, the load average LOAD given (taken
# before the run), Wine's version and whether 32-bit programs were emulated. Wine's version is
# its Debian package's, so that nothing of Wine runs outside a display.
#   describe_machine LOAD
describe_machine() {
  local cpu wine emulation
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
  wine=$(dpkg-query -W -f='${Version}' wine 2>/dev/null || echo 'not installed')
  # scripts/enable-i386.sh registers qemu-i386 only where the kernel refuses 32-bit programs;
  # binfmt_misc then takes them before the kernel's own loader.
  if [ "$(head -n 1 /proc/sys/fs/binfmt_misc/status 2>/dev/null)" = enabled ] &&
    [ "$(head -n 1 /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null)" = enabled ]; then
    emulation="emulated by $(qemu-i386 --version | head -n 1)"
  else
    emulation="run by the kernel itself, not emulated"
  fi
  echo "Measured $(date -u +%Y-%m-%d) on ${cpu:-an unknown processor}, $(nproc) cores" \
    "shared with other work, load average $1 at the start; Wine $wine; 32-bit programs" \
    "$emulation."
}

# Puts the Markdown in CONTENT_FILE into the page as the section between the marker lines of
# NAME, in place of what was there; a page without that section gets it at its end, and a
# missing page is made with its heading first.
#   write_section NAME CONTENT_FILE
write_section() {
  local begin="<!-- begin $1 -->" end="<!-- end $1 -->"
  if [ ! -f "$performance_page" ]; then
    printf '%s\n' '# Performance' '' \
      "Made by \`tools/bench.sh\` and \`tools/measure.sh\`: run either again to rewrite its own section." \
      >"$performance_page"
  fi
  if grep -qxF "$begin" "$performance_page"; then
    if ! grep -qxF "$end" "$performance_page"; then
      echo "$performance_page has \"$begin\" without \"$end\"; not rewriting it." >&2
      return 1
    fi
    awk -v begin="$begin" -v end="$end" -v content="$2" '
      $0 == begin { print; while ((getline line < content) > 0) print line; skipping = 1; next }
      $0 == end { skipping = 0 }
      !skipping' "$performance_page" >"$performance_page.new"
  else
    { cat "$performance_page" && printf '\n%s\n' "$begin" && cat "$2" && echo "$end"; } \
      >"$performance_page.new"
  fi
  mv "$performance_page.new" "$performance_page"
  echo "Wrote the section of $1 in $performance_page." >&2
}
