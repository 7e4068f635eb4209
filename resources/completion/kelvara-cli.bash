# bash completion for kelvara-cli. The candidates (commands, options, categories, the units of the
# category typed) come from kelvara-cli itself, already quoted for the word being completed.

_kelvara_cli()
{
    local -a words=()
    local i word join=0
    # bash cuts words at ':' and '=' ("(UTC+09:00)"); kelvara-cli wants them whole.
    for ((i = 1; i <= COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if ((${#words[@]} > 0)) && { ((join)) || [[ $word == [:=] ]]; }; then
            words[${#words[@]} - 1]+=$word
            join=0
            [[ $word == [:=] ]] && join=1
        else
            words+=("$word")
        fi
    done
    ((${#words[@]} > 0)) || words=("")
    local program=${COMP_WORDS[0]/#\~/$HOME}
    # One candidate a line, taken as they are: an array assignment from $(...) would split them
    # and expand them as file patterns (a unit named "[US] ..." against the files here, or nothing
    # at all under nullglob or failglob).
    mapfile -t COMPREPLY < <("$program" -- __complete bash "${words[@]}" 2>/dev/null)
}

complete -F _kelvara_cli kelvara-cli
