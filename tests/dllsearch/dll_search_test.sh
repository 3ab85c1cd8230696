#!/usr/bin/env bash
# A uxtheme.dll planted beside the carrier, with Wine told to search as Windows does
# (the program's folder first), is never loaded; beside an unhardened program it is.
# Usage: dll_search_test.sh WINE_RUN FIRMPACK DEMO_DRIVER PLANTED_DLL CONTROL_EXE
wine_run="$1" firmpack="$2" driver="$3" planted="$4" control="$5"
source "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;uxtheme=n,b"

mkdir downloads shots && random_file fw.bin 4096
"$firmpack" pack fw.bin --label Planted -o downloads/Upgrade.exe >/dev/null
cp "$planted" downloads/uxtheme.dll && cp "$control" downloads/control.exe
run "$wine_run" "$control"  # warms the prefix; the copy below is the control
run "$wine_run" "$(windows_path "$work/downloads/control.exe")"
check "the planted DLL is found beside an unhardened program" [ -e downloads/control.exe.planted ]
run "$wine_run" "$driver" "$(windows_path "$work/downloads/Upgrade.exe")" "$(windows_path "$work/downloads")" shots
check "the carrier ran and wrote its firmware" cmp -s fw.bin downloads/fw.bin
check "the carrier did not load the planted DLL" [ ! -e downloads/Upgrade.exe.planted ]

summary dll_search_test
