#!/usr/bin/env bash
# Builds the program and runs it on a fresh demo station database (embedded
# engine) with the simulated concentrator dispensing fuelings on its own.
# Everything lives in ./demo-run/ (remade at every run):
#   demo-run/estacao.fdb   the station database
#   demo-run/Caminho.ini   where the program finds it (the working directory)
#   demo-run/programa/     the program, libCompanytec.so, the log files
#   demo-run/sim/          the simulator's state and journal
# Where there is no display, a virtual one (Xvfb) with a tray host (trayer)
# is started. Ctrl+C ends the program the way the tray menu's "Sair" does.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz="$PWD"

bash scripts/install-deps.sh
cmake --preset normal >/dev/null
cmake --build --preset normal --target comunicador Companytec simconc

build="$raiz/build"
run="$raiz/demo-run"
programa="$run/programa"
rm -rf "$run"
mkdir -p "$programa" "$run/sim"

bash scripts/cria-banco.sh "$run/estacao.fdb" --demo >/dev/null
printf '[DATABASEESTOQUE]\r\nCAMINHO=%s\r\nUSUARIO=SYSDBA\r\nSENHA=\r\n' "$run/estacao.fdb" \
    >"$run/Caminho.ini"

# Copies, not links: the program takes its own directory from the real file,
# and looks for the concentrator library there first.
cp "$build/app/comunicador" "$programa/"
cp "$build/sim/libCompanytec.so" "$programa/"

# The station's regional settings: a comma as the decimal separator.
localidade=pt_BR.UTF-8
if ! locale -a 2>/dev/null | grep -qix 'pt_BR.utf8'; then
    localedef -i pt_BR -f UTF-8 "$localidade" 2>/dev/null || true
fi
locale -a 2>/dev/null | grep -qix 'pt_BR.utf8' || localidade=C.UTF-8

export COMPANYTEC_SIM_DIR="$run/sim"
simconc="$build/sim/simconc"
"$simconc" reinicia >/dev/null
"$simconc" auto 8 004,005,068 >/dev/null

iniciados=()
encerra_auxiliares() {
    for pid in "${iniciados[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap encerra_auxiliares EXIT

if [ -z "${DISPLAY:-}" ]; then
    n=77
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
        n=$((n + 1))
    done
    # Their own sessions, so Ctrl+C reaches only the program and the display
    # outlives its close.
    setsid Xvfb ":$n" -screen 0 1024x640x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
    iniciados+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    setsid trayer --edge top --align right --widthtype pixel --width 120 --height 28 \
        --transparent false >"$run/trayer.log" 2>&1 &
    iniciados+=($!)
    sleep 1
    cat <<EOF
Tela virtual em DISPLAY=$DISPLAY, com a bandeja no canto superior direito.
  ver:            DISPLAY=$DISPLAY import -window root tela.png
  abrir a janela: DISPLAY=$DISPLAY xdotool search --name 'Comunica' windowmap
                  (ou um duplo clique no ícone da bandeja com xdotool)
EOF
fi

cat <<EOF
Banco:        $run/estacao.fdb
Logs:         $programa/LogFluvio$(date +%d%m%Y), $programa/LogErroConcentrador
Simulador:    COMPANYTEC_SIM_DIR=$COMPANYTEC_SIM_DIR $simconc mostra | entregues | auto off
O programa fica na bandeja; Ctrl+C encerra.
EOF

cd "$run"
LC_ALL="$localidade" "$programa/comunicador" &
pid=$!
# Ctrl+C reaches the program directly; a signal sent to this script only is
# passed on. Either way the program takes its close path, and we wait for it.
trap 'kill -INT "$pid" 2>/dev/null || true' INT TERM
while kill -0 "$pid" 2>/dev/null; do
    wait "$pid" || true
done
echo "Programa encerrado."
