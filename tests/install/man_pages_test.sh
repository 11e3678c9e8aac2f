#!/usr/bin/env bash
# The manual pages and the completion keep up with the programs: every option a program's --help
# shows is in its manual page, and every option the page lists is one the program takes. For
# tarvola-cli the same holds for the global options, and every command and command option of its
# help is in the page and in the bash completion.
# Usage: man_pages_test.sh SOURCE_DIR BIN_DIR... (the folders holding the built programs)
set -euo pipefail
src=$1
shift
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

find_program() {
    for dir in "$@"; do [ -x "$dir/$program" ] && { echo "$dir/$program"; return; }; done
    return 0
}
options() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }
# Options of a page or its OPTIONS section only, with roff's escaped hyphens made plain.
page_options() { sed 's/\\-/-/g' "$1" | sed -n "${2:-1,\$}p" | options; }
compare() { # what, listed in help, listed in page
    local missing extra
    missing=$(comm -23 <(echo "$2") <(echo "$3"))
    extra=$(comm -13 <(echo "$2") <(echo "$3"))
    [ -z "$missing" ] || fail "$1: in --help but not in the manual page: $missing"
    [ -z "${4:-}" ] && [ -n "$extra" ] && fail "$1: in the manual page but not in --help: $extra"
    return 0
}

for program in tarvola tarvola-sim tarvola-cli; do
    bin=$(find_program "$@")
    if [ -z "$bin" ]; then
        [ "$program" = tarvola ] && continue   # built without the desktop application
        fail "$program is not built"; continue
    fi
    page=$src/data/man/$program.1
    help=$("$bin" --help)
    if [ "$program" != tarvola-cli ]; then
        compare "$program" "$(options <<<"$help")" "$(page_options "$page")"
        continue
    fi
    # tarvola-cli: global options both ways; commands and their options from the help's command list.
    globals=$(sed -n '/^Options:/,/^Commands:/p' <<<"$help" | options)
    compare "$program options" "$globals" "$(page_options "$page" '/^\.SH OPTIONS/,/^\.SH COMMANDS/')"
    command_part=$(sed -n '/^Commands:/,/^Exit codes/p' <<<"$help")
    compare "$program command options" "$(options <<<"$command_part")" \
            "$(page_options "$page" '/^\.SH COMMANDS/,/^\.SH EXIT/')" subset
    completion=$src/data/linux/tarvola-cli.bash
    compare "tarvola-cli completion options" "$(options <<<"$help")" "$(options <"$completion")" subset
    commands=$(sed -n 's/^  \([a-z][a-z-]*\).*/\1/p' <<<"$command_part" | sort -u)
    completed=$(sed -n '/local commands="/,/"$/p' "$completion")
    for command in $commands; do
        grep -q -- "^\.B[IR]* \"*${command//-/\\\\-}\b\|^\\\\fB${command//-/\\\\-}\\\\fR" "$page" ||
            fail "tarvola-cli command $command is not in the manual page"
        grep -qw -- "$command" <<<"$completed" || fail "tarvola-cli command $command is not completed"
    done
done
exit $failed
