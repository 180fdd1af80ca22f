# bash completion for nimbrel-cli: its options, the modes after --mode, file names after -i.
_nimbrel_cli() {
    local cur prev words cword
    _init_completion -n = || return

    local i
    for ((i = 1; i < cword; i++)); do
        # After "--" every word is a parameter: only the settings file is worth completing.
        if [[ ${words[i]} == -- ]]; then
            [[ $prev == -i ]] && _filedir
            return
        fi
    done

    case $prev in
        --mode)
            COMPREPLY=($(compgen -W 'simple simplify newton derivative antiderivative
                numderivative integral length' -- "$cur"))
            return
            ;;
        -i)
            _filedir
            return
            ;;
        --plot)
            _filedir svg
            return
            ;;
        --decimal-separator)
            COMPREPLY=($(compgen -W ', .' -- "$cur"))
            return
            ;;
        --var | --start | --delta | --max-iter | --order | --at | --from | --to | --width)
            return
            ;;
    esac

    if [[ $cur == --mode=* ]]; then
        COMPREPLY=($(compgen -W 'simple simplify newton derivative antiderivative
            numderivative integral length' -- "${cur#--mode=}"))
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--mode --var --start --delta --max-iter --order --at
            --from --to --width --no-ini --save --decimal-separator --batch --plot --help
            --version
            -- -i' -- "$cur"))
    fi
} &&
    complete -F _nimbrel_cli nimbrel-cli
