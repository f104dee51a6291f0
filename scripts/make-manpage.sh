#!/usr/bin/env bash
# Writes the manual page of tavlora-cli from the program's own help: the usage and options of
# `tavlora-cli --help` and, for every command it lists, the text of `tavlora-cli help COMMAND`.
# Usage: make-manpage.sh PATH/TO/tavlora-cli OUTPUT.1
set -euo pipefail
cli=$1
out=$2

# Text for roff: backslashes kept, a leading "." or "'" not taken for a request, "-" printed as
# the minus sign that options are typed with.
roff_text() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

help_text=$("$cli" --help)
version=$("$cli" --version | awk '{print $NF}')
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)
else
    date=$(date -u +%Y-%m-%d)
fi
usage=$(printf '%s\n' "$help_text" | sed -n '1s/^[^:]*: *//p')
options=$(printf '%s\n' "$help_text" | sed -n '2,/^$/p' | sed '/^$/d')
commands=$(printf '%s\n' "$help_text" | sed -n '/^Команды:/,$p' | tail -n +2 | sed '/^$/d')
if [ -z "$usage" ] || [ -z "$commands" ]; then
    echo "make-manpage.sh: unexpected help text of $cli" >&2
    exit 1
fi

tmp="$out.tmp$$"
trap 'rm -f "$tmp"' EXIT
{
    printf '.TH TAVLORA\\-CLI 1 "%s" "tavlora %s" "Tavlora 5/69"\n' "$date" "$version"
    printf '.SH NAME\n'
    printf 'tavlora\\-cli \\- командная строка анализатора лотереи Tavlora 5/69\n'
    printf '.SH SYNOPSIS\n'
    printf '%s\n' "$usage" | roff_text
    printf '.SH DESCRIPTION\n'
    printf '.B tavlora\\-cli\n'
    printf 'работает с той же папкой данных, что и окно программы \\fBtavlora\\fR(1): архив тиражей,\n'
    printf 'статистика и фильтры, файлы норм, сценарии, ставки и рейтинг.\n'
    printf 'Таблицы выводятся в стандартный вывод через табуляцию (первая строка \\- заголовки колонок),\n'
    printf 'ход работы и сообщения \\- в стандартный поток ошибок.\n'
    printf '.PP\n'
    printf 'Код завершения: 0 \\- успех, 1 \\- операция не выполнена (сообщение в потоке ошибок),\n'
    printf '2 \\- ошибка в командной строке (с подсказкой по использованию).\n'
    printf '.SH OPTIONS\n'
    while IFS= read -r line; do
        [[ $line =~ ^[[:space:]]*(-[^[:space:]]*( [A-Z]+)?)[[:space:]]+(.*)$ ]] || continue
        printf '.TP\n.B %s\n%s\n' "$(printf '%s' "${BASH_REMATCH[1]}" | roff_text)" \
            "$(printf '%s' "${BASH_REMATCH[3]}" | roff_text)"
    done <<<"$options"
    printf '.SH COMMANDS\n'
    while IFS=$'\t' read -r name summary; do
        name=${name#"${name%%[![:space:]]*}"}
        [ -n "$name" ] || continue
        printf '.SS %s\n' "$(printf '%s' "$name" | roff_text)"
        printf '%s\n' "$summary" | roff_text
        printf '.PP\n.nf\n'
        "$cli" help "$name" | sed 's/^Использование: //' | roff_text
        printf '.fi\n'
    done <<<"$commands"
    printf '.SH FILES\n'
    printf 'Все данные лежат в одной папке (\\fB\\-\\-data\\fR, по умолчанию \\- текущая):\n'
    printf '.TP\n.B Tavlora_5d69.ldr\nархив тиражей\n'
    printf '.TP\n.B Tavlora_5d69.ini\nнастройки программы\n'
    printf '.TP\n.B Tavlora_5d69.lsk\nставки\n'
    printf '.TP\n.B Tavlora_5d69.lss\nрабочий сценарий\n'
    printf '.TP\n.B Prefetchs/\nфайлы норм методов статистики\n'
    printf '.TP\n.B /usr/share/tavlora/\nпример архива тиражей и сценария, с которых начинает окно программы\n'
    printf '.SH SEE ALSO\n'
    printf '\\fBtavlora\\fR(1)\n'
} >"$tmp"
mv "$tmp" "$out"
trap - EXIT
