#!/usr/bin/env bash
# Fails when a folder includes something its layer may not see.
set -u
root=${1:-.}
cd "$root" || exit 2
status=0

# forbid <folder> <pattern> <why>
forbid() {
    local hits
    hits=$(grep -rnE --include='*.h' --include='*.cpp' "$2" "$1" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "layering: $1 $3:"
        echo "$hits" | sed 's/^/    /'
        status=1
    fi
}

program='#include *[<"](app|driver|controls|forms|windows)/'
qt='#include *<Q|#include *[<"]backends/'
for d in src/driver src/controls src/forms src/windows; do
    forbid "$d" "$qt" "includes Qt or a backend"
done
# The program's entry starts the desktop through the backend's one Qt-free header, and nothing
# else of the app sees the backend.
forbid src/app '#include *<Q' "includes Qt"
backend=$(grep -rnE --include='*.h' --include='*.cpp' '#include *[<"]backends/' src/app |
    grep -vE '^src/app/main\.cpp:[0-9]+:#include "backends/qt/Desktop\.h"$')
if [ -n "$backend" ]; then
    echo "layering: src/app includes the backend beyond its desktop entry:"
    echo "$backend" | sed 's/^/    /'
    status=1
fi
forbid src/base '#include *[<"](app|driver|controls|forms|windows|toolkit|platform|sim|backends)/|#include *<Q' "includes a layer above it"
forbid src/toolkit "$program" "includes the program"
forbid src/toolkit "$qt" "includes Qt or a backend"
forbid src/platform "$program|#include *[<\"]toolkit/|$qt" "includes a layer above it"
forbid src/controls '#include *[<"](app|driver|forms|windows)/' "includes a layer above it"
forbid src/driver '#include *[<"](app|controls|forms|windows)/' "includes a layer above it"
forbid src/forms '#include *[<"](app|driver|windows)/' "includes a layer above it"
forbid src/windows '#include *[<"]app/' "includes a layer above it"
forbid sim '#include *[<"](app|driver|controls|forms|windows|toolkit)/|'"$qt" "includes the program"
exit $status
