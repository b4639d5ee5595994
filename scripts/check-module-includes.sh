#!/usr/bin/env bash
# Fails when the core modules' includes disagree with what CMakeLists.txt declares, or when a system or
# library header appears outside the files meant to hold it.
#   - Every QuorvaneCore/<Module> names in DEPS exactly the other modules its files include.
#   - Headers in angle brackets other than the C++ standard library's (those have no ".h" and no folder)
#     are allowed only where the table below says.
#   scripts/check-module-includes.sh [repository root]
set -euo pipefail

root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$root"

# Header pattern (an extended regular expression on the text between < and >), then the files or folders,
# relative to the root, that may include it.
allowed=(
    '^unicode/'     'QuorvaneCore/Support/UnicodeText.cpp QuorvaneCore/Support/RegularExpression.cpp QuorvaneCore/WebApps/InternationalAddress.cpp'
    '^nlohmann/'    'QuorvaneCore/JSON/JSONParser.cpp'
    '^uriparser/'   'QuorvaneCore/WebApps/URLComponents.cpp'
    '^plist/'       'QuorvaneCore/WebApps/WebBundleWriter.cpp'
    '^uuid/'        'QuorvaneCore/Support/UUID.cpp QuorvaneCore/WebApps/StableIdentity.cpp QuorvaneIPC/QuorvaneSession.cpp'
    '^curl/'        'QuorvaneNet/QuietSession.cpp'
    # The desktop itself stays in its backend folders, so the application logic builds without a display.
    '^(glib|gio/|glib-unix)' 'Platforms/GLib/ Platforms/X11/ Platforms/KWin/ QuorvaneWebHost/'
    '^(gtk/|gdk/|webkit2/)' 'QuorvaneWebHost/ Platforms/GTK/ QuorvaneChrome/'
    '^libayatana-appindicator/' 'Platforms/GTK/GTKStatusItem.cpp'
    '^(xcb/|xkbcommon/)' 'Platforms/X11/'
    '^openssl/'     'QuorvaneNet/HostDigest.cpp'
    # The heap's trim after the settings window closes.
    '^malloc\.h$'   'Platforms/GTK/GTKAppWindows.cpp'
    # The platform's file, process and socket calls: the file layer and its lock, the bundle writer, the local socket
    # and the tool's entry.
    '^(unistd|fcntl|poll|spawn|pwd|pthread|signal)\.h$|^sys/'
                    'QuorvaneCore/Support/AtomicFile.h QuorvaneCore/Support/AtomicFile.cpp QuorvaneCore/Support/FileContents.cpp QuorvaneCore/Configuration/ConfigLock.cpp QuorvaneCore/WebApps/WebAppName.cpp QuorvaneCore/WebApps/WebBundleWriter.cpp QuorvaneIPC/ cli/ QuorvaneApp/Config/ConfigStore.cpp QuorvaneApp/Model/AppModel.cpp QuorvaneApp/Model/MachineName.cpp QuorvaneApp/Setup/CLILink.cpp Platforms/ app/ QuorvaneWebHost/'
)

failures=0
fail() {
    echo "check-module-includes: $*" >&2
    failures=$((failures + 1))
}

sources() {
    find "$@" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) 2>/dev/null | sort
}

# Declared dependencies, from the quorvane_module lines of CMakeLists.txt.
declare -A declared
while read -r line; do
    words=$(sed -E 's/^quorvane_module\(//; s/\).*$//' <<<"$line")
    read -r -a parts <<<"$words"
    module=${parts[0]}
    mode=
    deps=()
    for word in "${parts[@]:1}"; do
        case $word in
        DEPS | LIBS) mode=$word ;;
        *) if [[ $mode == DEPS ]]; then deps+=("$word"); fi ;;
        esac
    done
    declared[$module]=
    if ((${#deps[@]})); then
        declared[$module]=$(printf '%s\n' "${deps[@]}" | sort -u | tr '\n' ' ')
    fi
done < <(grep -E '^quorvane_module\(' CMakeLists.txt)

for module in "${!declared[@]}"; do
    [[ -d "QuorvaneCore/$module" ]] || fail "CMakeLists.txt declares $module, which has no folder QuorvaneCore/$module."
done
for folder in QuorvaneCore/*/; do
    module=$(basename "$folder")
    [[ -v "declared[$module]" ]] || fail "QuorvaneCore/$module is not declared with quorvane_module in CMakeLists.txt."
done

# Included modules: the first folder of every quoted include that names another declared module.
for module in $(printf '%s\n' "${!declared[@]}" | sort); do
    [[ -d "QuorvaneCore/$module" ]] || continue
    used=$(sources "QuorvaneCore/$module" | xargs -r grep -hoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' \
        | sed -E 's/.*"([^"/]+)\//\1/' | sort -u | while read -r other; do
            [[ $other != "$module" && -v "declared[$other]" ]] && echo "$other"
        done | tr '\n' ' ' || true)
    if [[ "$used" != "${declared[$module]}" ]]; then
        fail "$module declares DEPS [${declared[$module]% }] but its files include [${used% }]."
    fi
done

# The application's folders, lowest first: a folder's files include only the folders before it, so the
# layers never include upward and never in a circle. The backends include only the seam.
app_layers=(Platform State Setup Config WebApps Tiling Updates Views Agents Keys Model)
declare -A app_rank
for ((i = 0; i < ${#app_layers[@]}; i++)); do
    app_rank[${app_layers[i]}]=$i
done
for folder in QuorvaneApp/*/; do
    layer=$(basename "$folder")
    [[ -v "app_rank[$layer]" ]] || fail "QuorvaneApp/$layer has no place in app_layers of this script."
done
while IFS=: read -r file included; do
    included=$(sed -E 's/.*"QuorvaneApp\/([^/]+)\/.*/\1/' <<<"$included")
    if [[ $file == QuorvaneApp/* ]]; then
        layer=$(cut -d/ -f2 <<<"$file")
        [[ -v "app_rank[$layer]" && -v "app_rank[$included]" ]] || continue
        ((app_rank[$included] <= app_rank[$layer])) \
            || fail "$file includes QuorvaneApp/$included, a layer above QuorvaneApp/$layer."
    elif [[ $included != Platform ]]; then
        fail "$file includes QuorvaneApp/$included; the backends include only the seam, QuorvaneApp/Platform."
    fi
done < <(sources QuorvaneApp Platforms | xargs -r grep -HoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"QuorvaneApp/[^"]+"' || true)

# System and library headers outside their files.
while IFS=: read -r file header; do
    header=${header#*<}
    header=${header%>*}
    [[ $header == */* || $header == *.* ]] || continue # the C++ standard library
    permitted=false
    for ((i = 0; i < ${#allowed[@]}; i += 2)); do
        [[ $header =~ ${allowed[i]} ]] || continue
        for place in ${allowed[i + 1]}; do
            if [[ $file == "$place" || ($place == */ && $file == "$place"*) ]]; then
                permitted=true
            fi
        done
    done
    $permitted || fail "$file includes <$header>, which belongs elsewhere (see the table in this script)."
done < <(sources QuorvaneCore QuorvaneIPC QuorvaneNet cli QuorvaneApp Platforms app QuorvaneWebHost QuorvaneChrome \
    | xargs -r grep -HoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<[^>]+>' || true)

if ((failures)); then
    exit 1
fi
echo "check-module-includes: module dependencies match the includes, the application's layers include only"
echo "downward, and system headers stay in their files."
