#!/usr/bin/env bash
# A program in a game folder full of other files: every DLL it imports must be one of the system's
# KnownDLLs, which Windows never looks for beside the program, and it must restrict what it loads later
# (SetDefaultDllDirectories). A static import outside that list would be loaded from the game folder
# before the first line of our code runs.
#   imports_check.sh <objdump> <program.exe>
set -euo pipefail
objdump=$1
program=$2

known=" advapi32 clbcatq combase comdlg32 coml2 gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt normaliz"
known+=" nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 "

table=$("$objdump" -p "$program")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: \(.*\)\.[dD][lL][lL]$/\1/p' <<<"$table" | tr '[:upper:]' '[:lower:]')
[[ -n $dlls ]] || { echo "not ok - no import table read from $program"; exit 1; }

failed=0
for dll in $dlls; do
    if [[ $known == *" $dll "* ]]; then
        echo "ok - $dll.dll is a KnownDLL"
    else
        echo "not ok - $dll.dll is no KnownDLL: Windows would look for it in the game folder first"
        failed=1
    fi
done
if grep -q '[[:space:]]SetDefaultDllDirectories$' <<<"$table"; then
    echo "ok - SetDefaultDllDirectories is called"
else
    echo "not ok - SetDefaultDllDirectories is not imported: later loads may search the game folder"
    failed=1
fi
exit "$failed"
