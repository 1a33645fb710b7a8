# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for tickwell and tickwell-launcher: their long options.
# One command a call, so no other command is offered once one is given; WHEN
# and REMINDER after --add, --clear and --skip are free text. After --add's
# two, --repeat is offered, and after its RULE the end, --until or --times;
# RULE is offered as its one-word forms.

_tickwell()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i command= add=0 repeat= end=
    COMPREPLY=()
    if [[ $prev == --repeat ]]; then
        COMPREPLY=($(compgen -W 'daily weekdays weekends weekly monthly yearly' -- "$cur"))
        return 0
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --repeat) repeat=1 ;;
        --until | --times) end=1 ;;
        --*)
            if [[ -z $command ]]; then
                command=${COMP_WORDS[i]}
                add=$i
            fi
            ;;
        esac
    done
    if [[ -z $command ]]; then
        [[ -z $cur || $cur == -* ]] || return 0
        COMPREPLY=($(compgen -W '--help --version --edit --preferences --activate --deactivate --quit --add --list --clear --skip --status --repeat --until --times' \
            -- "$cur"))
    elif [[ $command == --add && $cur == -* && $prev != --until && $prev != --times ]] && ((COMP_CWORD > add + 2)); then
        if [[ -z $repeat ]]; then
            COMPREPLY=($(compgen -W '--repeat' -- "$cur"))
        elif [[ -z $end ]]; then
            COMPREPLY=($(compgen -W '--until --times' -- "$cur"))
        fi
    fi
}
complete -F _tickwell tickwell tickwell-launcher
