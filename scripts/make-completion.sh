#!/usr/bin/env bash
# Writes the bash completion of tavlora-cli from the program's own help: the commands listed by
# `tavlora-cli --help`, each command's sub-commands (named in its summary, "archive: status, list,
# ...", or in its usage lines, "  archive status") and options (every "--name" of its usage).
# Usage: make-completion.sh PATH/TO/tavlora-cli OUTPUT
set -euo pipefail
cli=$1
out=$2

help_text=$("$cli" --help)
commands=$(printf '%s\n' "$help_text" | sed -n '/^Команды:/,$p' | tail -n +2 | sed '/^$/d')
globals=$(printf '%s\n' "$help_text" | sed -n '2,/^$/p' | grep -o -- '--[a-z][a-z-]*' | sort -u | tr '\n' ' ')
if [ -z "$commands" ] || [ -z "$globals" ]; then
    echo "make-completion.sh: unexpected help text of $cli" >&2
    exit 1
fi

names=()
sub_cases=""
opt_cases=""
while IFS=$'\t' read -r name summary; do
    name=${name#"${name%%[![:space:]]*}"}
    [ -n "$name" ] || continue
    names+=("$name")
    usage=$("$cli" help "$name")
    subs=""
    # "архив тиражей: status, list, add" - a summary ending in a list of Latin words.
    list=${summary##*: }
    if [ "$list" != "$summary" ] && [[ $list =~ ^[a-z][a-z-]*(,\ [a-z][a-z-]*)*$ ]]; then
        subs=${list//,/}
    fi
    # "  archive status ...", "... combs generate [--mode M]": the word after the command's name.
    more=$(printf '%s\n' "$usage" | grep -oE "(^|[[:space:]])$name[[:space:]]+[a-z][a-z-]*" |
        awk '{print $NF}' || true)
    subs=$(printf '%s\n' $subs $more | awk 'NF && !seen[$0]++' | tr '\n' ' ')
    opts=$(printf '%s\n' "$usage" | grep -oE -- '--[a-z][a-z-]*' | sort -u |
        grep -vxF -f <(printf '%s\n' $globals) | tr '\n' ' ' || true)
    [ -n "${subs// /}" ] && sub_cases+="        $name) echo \"${subs% }\" ;;"$'\n'
    [ -n "${opts// /}" ] && opt_cases+="        $name) echo \"${opts% }\" ;;"$'\n'
done <<<"$commands"

tmp="$out.tmp$$"
trap 'rm -f "$tmp"' EXIT
cat >"$tmp" <<COMPLETION
# bash completion for tavlora-cli: global options, commands, sub-commands and command options;
# folders after --data, file names elsewhere. Generated from the program's help.

_tavlora_cli_subcommands() {
    case "\$1" in
${sub_cases}    esac
}

_tavlora_cli_options() {
    case "\$1" in
${opt_cases}    esac
}

_tavlora_cli() {
    local cur=\${COMP_WORDS[COMP_CWORD]}
    local prev=\${COMP_WORDS[COMP_CWORD-1]}
    local commands="${names[*]} help"
    local globals="${globals% }"
    COMPREPLY=()

    case "\$prev" in
        --data)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "\$cur")
            return 0
            ;;
        --offset)
            compopt +o default 2>/dev/null
            return 0
            ;;
    esac

    # The command is the first word that is neither a global option nor its value.
    local i=1 command="" at=0
    while [ \$i -lt \$COMP_CWORD ]; do
        case "\${COMP_WORDS[i]}" in
            --data | --offset) i=\$((i + 2)) ;;
            -*) i=\$((i + 1)) ;;
            *)
                command=\${COMP_WORDS[i]}
                at=\$i
                break
                ;;
        esac
    done

    if [ -z "\$command" ]; then
        if [[ \$cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "\$globals" -- "\$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "\$commands" -- "\$cur")
        fi
        return 0
    fi
    if [ "\$command" = help ]; then
        [ \$COMP_CWORD -eq \$((at + 1)) ] && mapfile -t COMPREPLY < <(compgen -W "\$commands" -- "\$cur")
        return 0
    fi
    if [[ \$cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "\$(_tavlora_cli_options "\$command")" -- "\$cur")
        return 0
    fi
    local subcommands
    subcommands=\$(_tavlora_cli_subcommands "\$command")
    if [ \$COMP_CWORD -eq \$((at + 1)) ] && [ -n "\$subcommands" ]; then
        mapfile -t COMPREPLY < <(compgen -W "\$subcommands" -- "\$cur")
        return 0
    fi
    # Arguments: file names (the -o default of the registration).
    return 0
}

complete -o default -F _tavlora_cli tavlora-cli
COMPLETION
mv "$tmp" "$out"
trap - EXIT
