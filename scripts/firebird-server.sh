#!/usr/bin/env bash
# A private Firebird server for the tests: its own folder (configuration,
# security database, lock files, log), its own port on 127.0.0.1 and its own
# SYSDBA password. The Debian service is never touched.
#   scripts/firebird-server.sh start <pasta> <porta> [senha]
#   scripts/firebird-server.sh stop  <pasta> <porta>
set -euo pipefail

uso() { echo "uso: $0 start|stop <pasta> <porta> [senha]" >&2; exit 2; }
[ $# -ge 3 ] || uso
acao=$1
pasta="$(realpath -m "$2")"
porta=$3
senha=${4:-masterkey}
fbdir=/usr/lib/x86_64-linux-gnu/firebird/3.0
pidfile="$pasta/firebird.pid"

ambiente() {
    export FIREBIRD="$pasta"
    export FIREBIRD_LOCK="$pasta/lock"
}

aceita() { (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null; }

para() {
    if [ -f "$pidfile" ]; then
        local pid
        pid=$(cat "$pidfile")
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            for _ in $(seq 100); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
        fi
        rm -f "$pidfile"
    fi
}

inicia() {
    para
    mkdir -p "$pasta/lock"
    ln -sfn "$fbdir/plugins" "$pasta/plugins"
    ln -sfn "$fbdir/intl" "$pasta/intl"
    cp -f "$fbdir/firebird.msg" "$pasta/firebird.msg"
    : > "$pasta/databases.conf"
    cat > "$pasta/firebird.conf" <<CONF
RemoteServicePort = $porta
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $pasta/security3.fdb
ServerMode = Super
UdfAccess = None
CONF
    if aceita; then
        echo "A porta $porta já está em uso" >&2
        exit 1
    fi
    ambiente
    rm -f "$pasta/security3.fdb"
    {
        echo "CREATE DATABASE '$pasta/security3.fdb' USER 'SYSDBA';"
        cat /usr/share/firebird/3.0/security.sql
        echo "COMMIT;"
        echo "CREATE USER SYSDBA PASSWORD '${senha//\'/\'\'}';"
        echo "COMMIT;"
    } | isql-fb -q -b -user SYSDBA > "$pasta/security.log" 2>&1 || {
        cat "$pasta/security.log" >&2
        exit 1
    }
    nohup /usr/sbin/firebird > "$pasta/firebird.out" 2>&1 < /dev/null &
    echo $! > "$pidfile"
    for _ in $(seq 200); do
        if aceita; then
            echo "Firebird em 127.0.0.1/$porta (pasta $pasta)"
            return 0
        fi
        if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "O servidor não iniciou" >&2
    cat "$pasta/firebird.out" >&2 || true
    para
    exit 1
}

case "$acao" in
    start) inicia ;;
    stop) para ;;
    *) uso ;;
esac
