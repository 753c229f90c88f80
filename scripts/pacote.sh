#!/usr/bin/env bash
# Builds the Debian packages from the normal build:
#   build/pacotes/comunicador-posto_<versão>_<arq>.deb            the program
#   build/pacotes/comunicador-posto-simulador_<versão>_<arq>.deb  the simulator
# and prints their paths. Install on a station with
#   apt-get install ./comunicador-posto_<versão>_<arq>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset normal >/dev/null
cmake --build --preset normal --target comunicador Companytec simconc \
    pacote_changelog_programa pacote_changelog_simulador
rm -f build/pacotes/*.deb
(cd build && cpack --config CPackConfig.cmake >/dev/null)
ls "$PWD"/build/pacotes/*.deb
