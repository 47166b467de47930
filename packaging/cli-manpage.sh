#!/bin/sh
# Writes the manual page of orvix2-cli from its template: @OPTIONS@ becomes the program's general
# options and @COMMANDS@ every command with its arguments and options, both as the program's own
# --help gives them in English (the page's language), so that the page lists whatever the program
# has.
# Usage: cli-manpage.sh ORVIX2-CLI TEMPLATE VERSION OUTPUT
set -eu
cli=$1
template=$2
version=$3
output=$4

# The names under "Subcommands:" in a help text (CLI11 writes the heading in either case).
subcommands() {
    awk 'tolower($0) ~ /^subcommands:/ { on = 1; next }
         /^[^ ]/ { on = 0 }
         on && /^  [^ ]/ { print $1 }'
}

# One help text in the page's markup. With mode=options only the entries of "Options:"; with
# mode=command a subsection named by the usage line, its description and its entries, the help
# option left out (the general options say it once).
to_troff() {
    awk -v mode="$1" '
    function text(s) { gsub(/\\/, "\\\\e", s); return s }
    function name(s) { s = text(s); gsub(/,/, ", ", s); gsub(/-/, "\\\\-", s); return s }
    function flush() {
        if (entry == "") return
        split(entry, words, " ")
        rest = substr(entry, length(words[1]) + 2)
        if (mode == "options" || words[1] != "-h,--help") {
            print ".TP"
            if (words[1] ~ /^-/) {
                print "\\fB" name(words[1]) "\\fR" (rest == "" ? "" : " \\fI" text(rest) "\\fR")
            } else {
                # An argument: its name, and whether it is required or repeats; not its type.
                print "\\fI" text(words[1]) "\\fR" (rest ~ /REQUIRED/ ? " (required)" : "") \
                    (rest ~ /\.\.\./ ? " ..." : "")
            }
            if (about != "") print "\\&" text(about)
        }
        entry = ""; about = ""
    }
    /^Usage: / {
        usage = 1
        if (mode == "command") {
            print ".SS \"" text(substr($0, 8)) "\""
            if (description != "") print "\\&" text(description)
        }
        section = ""; next
    }
    /^[^ ].*:$/ { flush(); section = tolower($0); next }
    /^$/ { flush(); next }
    !usage { description = description (description == "" ? "" : " ") $0; next }
    section == "subcommands:" { next }
    mode == "options" && section != "options:" { next }
    /^  [^ ]/ {
        flush()
        line = substr($0, 3)
        gap = index(line, "  ")
        if (gap == 0) { entry = line; next }
        entry = substr(line, 1, gap - 1)
        about = substr(line, gap); sub(/^ +/, "", about)
        next
    }
    /^   +[^ ]/ { s = $0; sub(/^ +/, "", s); about = about (about == "" ? "" : " ") s; next }
    END { flush() }
    '
}

walk() {
    help=$("$cli" --lang en "$@" --help)
    subs=$(printf '%s\n' "$help" | subcommands)
    if [ -z "$subs" ]; then
        printf '%s\n' "$help" | to_troff command
        return
    fi
    for sub in $subs; do
        walk "$@" "$sub"
    done
}

options=$(mktemp)
commands=$(mktemp)
trap 'rm -f "$options" "$commands"' EXIT
"$cli" --lang en --help | to_troff options >"$options"
walk >"$commands"
[ -s "$commands" ] || { echo "cli-manpage.sh: $cli listed no commands" >&2; exit 1; }

awk -v version="$version" -v options="$options" -v commands="$commands" '
    $0 == "@OPTIONS@" { while ((getline line < options) > 0) print line; next }
    $0 == "@COMMANDS@" { while ((getline line < commands) > 0) print line; next }
    { gsub(/@VERSION@/, version); print }
' "$template" >"$output.tmp"
mv "$output.tmp" "$output"
