# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for tickwell and tickwell-launcher: their long options.
# One command a call, so nothing more is offered once one is given; WHEN and
# REMINDER after --add and --clear are free text.

_tickwell()
{
    local cur=${COMP_WORDS[COMP_CWORD]} i
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == --* ]] && return 0
    done
    [[ -z $cur || $cur == -* ]] || return 0
    COMPREPLY=($(compgen -W '--help --version --edit --preferences --activate --deactivate --quit --add --list --clear --status' \
        -- "$cur"))
}
complete -F _tickwell tickwell tickwell-launcher
