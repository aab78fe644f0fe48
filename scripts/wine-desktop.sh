# Sourced by the scripts that show the simulated-unit program: the Wine prefix of the build,
# the interface language, and the private X server with Wine's virtual desktop that pictures
# are taken on, for the build this machine runs (windows-build.sh). Run from the
# repository's root.

source scripts/windows-build.sh
export WINEPREFIX="$PWD/build/$windows_preset/wineprefix"
source tests/wine/wine-prefix.sh

# The interface language a run shows: language (en or de) and in_language, the command
# prefix that gives a program that language. Wine takes it from LANG only where that locale
# is installed, and falls back to LC_ALL otherwise, so both name it. Passed through env: a
# shell started with a locale it lacks complains about it.
choose_language() {
  language=en
  case "$1" in de*) language=de ;; esac
  local locale=en_US.UTF-8
  [ "$language" = de ] && locale=de_DE.UTF-8
  in_language=(env LANG=$locale LC_ALL=$locale)
}

# on_virtual_desktop <program> <script> [arguments...]: runs the bash script on a private X
# server while the program, with the script's arguments in front as its command prefix
# (e.g. env LANG=...), runs in Wine's virtual desktop, which draws the title bars a bare X
# server would not. The script sees $program and the function shoot <file.png>; once it
# ends, Wine ends too.
on_virtual_desktop() {
  local program=$1 script=$2
  shift 2
  xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
    program=$1 script=$2 wine_loader=$3
    shift 3
    shoot() { import -window root "$1"; }
    "$@" "$wine_loader" explorer /desktop=shot,800x600 "$program" &
    eval "$script"
    wineserver -k
    wait' on-virtual-desktop "$program" "$script" "$wine_loader" "$@"
}
