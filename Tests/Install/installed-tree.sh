#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under an unusual prefix and checks the tree: exactly the files an
# installed Quorvane has; the programs run from there and find their web host in the program folder; the launcher
# entry, the AppStream data and the manual pages pass their checkers; the log-in entry of an installed application
# starts the installed program; every key of the default config.toml has its place in quorvane-config(5); and the
# completions of bash, zsh and fish offer the right words.
#   installed-tree.sh <build folder> <version> <source folder>
set -euo pipefail

usage="usage: installed-tree.sh <build folder> <version> <source folder>"
build=${1:?$usage}
version=${2:?$usage}
source_folder=${3:?$usage}
scratch=$(mktemp -d)
app=
desktop=
cleanup() {
    if [[ -n $app ]]; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    [[ -z $desktop ]] || "$source_folder/scripts/virtual-desktop.sh" stop "$desktop" >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() {
    echo "installed-tree: $*" >&2
    failures=$((failures + 1))
}

prefix=/opt/quorvane
root=$scratch/destdir$prefix
DESTDIR=$scratch/destdir cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"

# Exactly these files, so that nothing of the build tree (a web host beside the tool, a test program) slips in.
expected=(
    bin/quorvane bin/quorvane-app libexec/quorvane/QuorvaneWebHost
    share/applications/app.quorvane.Quorvane.desktop share/metainfo/app.quorvane.Quorvane.metainfo.xml
    share/icons/hicolor/scalable/apps/app.quorvane.Quorvane.svg
    share/icons/hicolor/scalable/apps/quorvane-symbolic.svg
    share/icons/hicolor/scalable/apps/quorvane-tile-mode-symbolic.svg
    share/icons/hicolor/symbolic/apps/app.quorvane.Quorvane-symbolic.svg
    share/man/man1/quorvane.1.gz share/man/man1/quorvane-app.1.gz share/man/man5/quorvane-config.5.gz
    share/bash-completion/completions/quorvane share/zsh/site-functions/_quorvane
    share/fish/vendor_completions.d/quorvane.fish
    share/doc/quorvane/copyright share/doc/quorvane/changelog.gz
)
found=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ $found == "$wanted" ]] || fail "the installed files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$found") || true)"

# The programs run from the tree, with a home of their own.
export HOME=$scratch/home XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_CACHE_HOME= XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
export PATH=$root/bin:$PATH
[[ $(quorvane --version) == "$version" ]] || fail "quorvane --version says $(quorvane --version)"
[[ $(quorvane-app --help) == Usage:\ quorvane-app* ]] || fail "quorvane-app --help says: $(quorvane-app --help 2>&1)"

# A web app added by the installed tool carries the host of the program folder; an application run from the tree
# puts that host back into a bundle whose host is out of date.
host=$root/libexec/quorvane/QuorvaneWebHost
quorvane app add https://example.com --name Example >"$scratch/add.log" 2>&1 || fail "app add: $(cat "$scratch/add.log")"
bundled=$HOME/.local/share/quorvane/apps/Example.app/Contents/MacOS/QuorvaneWebHost
cmp -s "$bundled" "$host" || fail "the web app's host is not the installed one"
echo "an older host" >"$bundled"
quorvane-app --simulate >"$scratch/app.log" 2>&1 &
app=$!
for _ in $(seq 200); do
    cmp -s "$bundled" "$host" && break
    sleep 0.1
done
cmp -s "$bundled" "$host" || fail "the application did not refresh the web app's host: $(cat "$scratch/app.log")"
kill "$app" && wait "$app" || true
app=

# On an X display, with launch_at_login on, the application writes a log-in entry that starts the installed program.
desktop=$("$source_folder/scripts/virtual-desktop.sh" start)
(
    # shellcheck disable=SC1090
    . "$desktop"
    mkdir -p "$XDG_CONFIG_HOME/quorvane"
    printf '[general]\nlaunch_at_login = true\n' >"$XDG_CONFIG_HOME/quorvane/config.toml"
    "$root/bin/quorvane-app" >"$scratch/x11-app.log" 2>&1 &
    "$source_folder/scripts/virtual-desktop.sh" record "$desktop" $!
    entry=$XDG_CONFIG_HOME/autostart/quorvane.desktop
    "$source_folder/scripts/virtual-desktop.sh" wait 20 test -s "$entry" \
        || { echo "no log-in entry: $(cat "$scratch/x11-app.log")"; exit 1; }
    grep -qxF "Exec=\"$root/bin/quorvane-app\"" "$entry" && grep -qxF "TryExec=$root/bin/quorvane-app" "$entry" \
        || { echo "the log-in entry starts another program:"; cat "$entry"; exit 1; }
    desktop-file-validate "$entry"
) >"$scratch/login.log" 2>&1 || fail "$(cat "$scratch/login.log")"
"$source_folder/scripts/virtual-desktop.sh" stop "$desktop" >/dev/null 2>&1
desktop=

# The launcher starts the installed program wherever the prefix is.
launcher=$root/share/applications/app.quorvane.Quorvane.desktop
grep -qxF "Exec=\"$prefix/bin/quorvane-app\"" "$launcher" && grep -qxF "TryExec=$prefix/bin/quorvane-app" "$launcher" \
    || fail "the launcher starts another program: $(cat "$launcher")"

# The desktop's checkers.
for entry in "$root/share/applications/app.quorvane.Quorvane.desktop" \
    "$HOME/.local/share/applications/"*.desktop; do
    desktop-file-validate "$entry" >"$scratch/validate.log" 2>&1 || fail "$entry: $(cat "$scratch/validate.log")"
done
appstreamcli validate --no-net "$root/share/metainfo/app.quorvane.Quorvane.metainfo.xml" >"$scratch/appstream.log" 2>&1 \
    || fail "appstreamcli: $(cat "$scratch/appstream.log")"

# Each manual page renders without a warning, as lintian renders it.
for page in "$root"/share/man/man*/*.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    warnings+=$(zcat "$page" | LC_ALL=C.UTF-8 groff -ww -man -Tutf8 -z 2>&1)
    [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
done
# Every key of the default file is a term of its own in quorvane-config(5).
config_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/share/man/man5/quorvane-config.5.gz" 2>/dev/null)
keys=$(quorvane config show | sed -n 's/^\([a-z0-9_]*\) = .*/\1/p')
[[ $(wc -l <<<"$keys") -ge 40 ]] || fail "the default file shows too few keys: $keys"
for key in $keys; do
    grep -qE "^ +$key \(" <<<"$config_page" || fail "quorvane-config(5) does not describe $key"
done

# Completions, in a home with a saved layout (one of two words), a web app and a hotkey.
cat >>"$HOME/.config/quorvane/config.toml" <<'EOF'

[layouts.work]
"org.example.Editor" = "left-half"

[layouts."two words"]
"org.example.Editor" = "fill"
EOF
quorvane hotkey set ctrl+opt+t org.example.Editor >/dev/null
expect_words() { # expect_words <shell> <what it offered> <wanted>
    [[ $2 == "$3" ]] || fail "$1 offered [$2] where [$3] was wanted"
}

# shellcheck disable=SC1091
source "$root/share/bash-completion/completions/quorvane"
bash_offers() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quorvane
    echo "${COMPREPLY[*]}"
}
expect_words bash "$(bash_offers quorvane t)" "tile"
expect_words bash "$(bash_offers quorvane tile Example l)" "left-half left-third left-two-thirds"
expect_words bash "$(bash_offers quorvane layout apply '')" 'work two\ words'
expect_words bash "$(bash_offers quorvane hotkey unset '')" "ctrl+opt+t"
expect_words bash "$(bash_offers quorvane app remove E)" "Example"
expect_words bash "$(bash_offers quorvane rule add x --tile = ri)" "right-half right-third right-two-thirds"
expect_words bash "$(bash_offers quorvane tile x fill --display '')" "1"
expect_words bash "$(bash_offers quorvane --config "$scratch/none.toml" layout apply '')" ""

# zsh loads the file through compinit; stand-ins for the completion builtins print what it would offer.
zsh -f -c "fpath=($root/share/zsh/site-functions \$fpath); autoload -Uz compinit; compinit -u -d $scratch/zcompdump
    [[ \$_comps[quorvane] == _quorvane ]] && autoload -Uz +X _quorvane" >"$scratch/zsh.log" 2>&1 \
    || fail "zsh does not load the completion: $(cat "$scratch/zsh.log")"
zsh_offers() {
    # shellcheck disable=SC2016
    zsh -f -c '
        compadd() {
            local -a offered
            while [[ $1 == -* ]]; do
                case $1 in (--) shift; break ;; (-a) offered+=(${(P)2}); shift 2 ;; (*) shift ;; esac
            done
            print -rl -- $offered "$@"
        }
        _describe() { print -rl -- ${${(P)4}%%:*} }
        _files() { print -r -- "(files $*)" }
        compset() { PREFIX=${PREFIX#*=} }
        source "$1" >/dev/null
        shift
        words=("$@") CURRENT=$# PREFIX=${@[-1]}
        _quorvane | grep -- "^${PREFIX#*=}" | sort | tr "\n" " "' zsh "$root/share/zsh/site-functions/_quorvane" "$@" 2>&1
}
expect_words zsh "$(zsh_offers quorvane t)" "tile "
expect_words zsh "$(zsh_offers quorvane tile Example l)" "left-half left-third left-two-thirds "
expect_words zsh "$(zsh_offers quorvane layout apply '')" "two words work "
expect_words zsh "$(zsh_offers quorvane hotkey unset '')" "ctrl+opt+t "
expect_words zsh "$(zsh_offers quorvane rule add x --tile=ri)" "right-half right-third right-two-thirds "

# fish completes a command line of its own with `complete -C`.
fish_offers() {
    fish --no-config -c "source $root/share/fish/vendor_completions.d/quorvane.fish; complete -C '$1'" 2>&1 \
        | cut -f1 | tr '\n' ' '
}
expect_words fish "$(fish_offers 'quorvane t')" "tile "
expect_words fish "$(fish_offers 'quorvane tile Example l')" "left-half left-third left-two-thirds "
expect_words fish "$(fish_offers 'quorvane layout apply ')" "two words work "
expect_words fish "$(fish_offers 'quorvane hotkey unset ')" "ctrl+opt+t "

if ((failures)); then
    exit 1
fi
echo "installed-tree: the tree under $prefix holds what it should, and its programs, pages and completions work."
