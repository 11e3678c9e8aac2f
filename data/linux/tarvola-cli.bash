# bash completion for tarvola-cli: its commands, the global options and each command's own options.

_tarvola_cli()
{
    local cur prev words cword
    _init_completion || return

    local globals="--port --demo --json --trace --yes --no --lang --help --version"
    local commands="help ports info switch dump set monitor recording save load factory-reset diff
                    service injector-size errors obd flash calibrate multiplier map"

    case $prev in
        --port)
            local ports
            ports=$(compgen -G '/dev/ttyUSB*'; compgen -G '/dev/ttyACM*'; compgen -G '/dev/ttyS*'; compgen -G '/dev/pts/[0-9]*')
            COMPREPLY=($(compgen -W "$ports" -- "$cur"))
            return ;;
        --trace|--record)
            _filedir
            return ;;
        --csv)
            _filedir csv
            return ;;
        --lang)
            COMPREPLY=($(compgen -W "{0..12}" -- "$cur"))
            return ;;
        --type)
            COMPREPLY=($(compgen -W "seq semi full" -- "$cur"))
            return ;;
        --count|--next-km|--hp|--cylinders|--rounds|--rows|--rpm)
            return ;;
    esac

    # The first word that is not an option (nor an option's value) is the command.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --port|--trace|--lang) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$globals" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local own=""
    case $command in
        switch)
            [[ $cur != -* ]] && { COMPREPLY=($(compgen -W "petrol gas auto" -- "$cur")); return; } ;;
        monitor) own="--count --record" ;;
        recording)
            own="--csv"
            [[ $cur != -* ]] && { _filedir osc; return; } ;;
        save|load|diff)
            [[ $cur != -* ]] && { _filedir xset; return; } ;;
        flash)
            [[ $cur != -* ]] && { _filedir img; return; } ;;
        service) own="--next-km" ;;
        injector-size) own="--hp --cylinders --type" ;;
        errors) own="--clear" ;;
        obd) own="--rounds --dtc --clear-dtc" ;;
        multiplier) own="--write" ;;
        map)
            own="--rows --rpm"
            if [[ $cur != -* ]]; then
                case $prev in
                    map) COMPREPLY=($(compgen -W "add sub set clear erase" -- "$cur")) ;;
                    erase) COMPREPLY=($(compgen -W "petrol gas" -- "$cur")) ;;
                esac
                return
            fi ;;
    esac
    COMPREPLY=($(compgen -W "$own $globals" -- "$cur"))
}
complete -F _tarvola_cli tarvola-cli
