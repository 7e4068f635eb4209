# fish completion for kelvara-cli. The candidates (commands, options, categories, the units of the
# category typed) come from kelvara-cli itself; fish matches and quotes them.

function __kelvara_cli_candidates
    set -l tokens (commandline -opc)
    $tokens[1] -- __complete fish $tokens[2..-1] (commandline -ct) 2>/dev/null
end

complete -c kelvara-cli -f -a '(__kelvara_cli_candidates)'
