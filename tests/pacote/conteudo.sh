#!/usr/bin/env bash
# What the packages hold and declare, and lintian's verdict on them.
#   conteudo.sh <pasta dos pacotes> <versão>
set -uo pipefail
pasta="$1"
versao="$2"
arq="$(dpkg --print-architecture)"
programa="$pasta/comunicador-posto_${versao}_${arq}.deb"
simulador="$pasta/comunicador-posto-simulador_${versao}_${arq}.deb"

erros=0
falha() {
    echo "FALHA: $*" >&2
    erros=$((erros + 1))
}
# Every regular file with its mode and owner, e.g. "-rwxr-xr-x root/root ./opt/x".
arquivos() {
    dpkg-deb -c "$1" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort
}

for deb in "$programa" "$simulador"; do
    [ -f "$deb" ] || { echo "FALHA: pacote ausente: $deb" >&2; exit 1; }
done

esperado_programa="\
-rw-r--r-- root/root ./etc/comunicador-posto/Caminho.ini
-rw-r--r-- root/root ./etc/xdg/autostart/comunicador-posto.desktop
-rw-r--r-- root/root ./usr/share/applications/comunicador-posto.desktop
-rw-r--r-- root/root ./usr/share/doc/comunicador-posto/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/comunicador-posto/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/comunicador-posto.svg
-rw-r--r-- root/root ./usr/share/lintian/overrides/comunicador-posto
-rw-r--r-- root/root ./opt/comunicador-posto/qt.conf
-rwxr-xr-x root/root ./opt/comunicador-posto/comunicador
-rwxr-xr-x root/root ./opt/comunicador-posto/comunicador-retidos"
esperado_simulador="\
-rw-r--r-- root/root ./opt/comunicador-posto/libCompanytec.so
-rw-r--r-- root/root ./usr/share/doc/comunicador-posto-simulador/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/comunicador-posto-simulador/copyright
-rw-r--r-- root/root ./usr/share/lintian/overrides/comunicador-posto-simulador
-rwxr-xr-x root/root ./opt/comunicador-posto/simconc"
[ "$(arquivos "$programa")" = "$(sort <<<"$esperado_programa")" ] ||
    falha "arquivos do programa:"$'\n'"$(arquivos "$programa")"
[ "$(arquivos "$simulador")" = "$(sort <<<"$esperado_simulador")" ] ||
    falha "arquivos do simulador:"$'\n'"$(arquivos "$simulador")"
# Qt's plugin folders beside the program are root's and empty.
lista="$(dpkg-deb -c "$programa")"
for tipo in platforms platformthemes imageformats styles; do
    grep -q "^drwxr-xr-x root/root .* ./opt/comunicador-posto/$tipo/\$" <<<"$lista" ||
        falha "pasta $tipo ausente"
done
qtconf="$(dpkg-deb --fsys-tarfile "$programa" | tar -xO ./opt/comunicador-posto/qt.conf)"
grep -q "^Plugins=/" <<<"$qtconf" || falha "qt.conf sem Plugins absoluto"
# Nothing in the archives is writable by group or others: the folder's group
# permissions come from the maintainer script, never from the archive.
for deb in "$programa" "$simulador"; do
    modos="$(dpkg-deb -c "$deb" | awk '{ print $1 }')"
    grep -q '^.....w\|^........w' <<<"$modos" && falha "entrada gravável por grupo ou outros em $deb"
    grep -q '[sStT]' <<<"$modos" && falha "bit especial em $deb"
done

campo() { dpkg-deb -f "$1" "$2"; }
[ "$(campo "$programa" Package)" = comunicador-posto ] || falha "Package do programa"
[ "$(campo "$simulador" Package)" = comunicador-posto-simulador ] || falha "Package do simulador"
for deb in "$programa" "$simulador"; do
    [ "$(campo "$deb" Version)" = "$versao" ] || falha "Version de $deb"
    [ "$(campo "$deb" Architecture)" = "$arq" ] || falha "Architecture de $deb"
    [ -n "$(campo "$deb" Maintainer)" ] || falha "Maintainer de $deb"
done
# Dependencies: the embedded engine and the tool that creates the group by
# hand, the linked libraries by dpkg-shlibdeps (versioned).
depende="$(campo "$programa" Depends)"
for d in adduser firebird3.0-server-core fonts-liberation; do
    grep -Eq "(^|, )$d(,|$)" <<<"$depende" || falha "Depends sem $d: $depende"
done
for d in libfbclient2 libqt6core6 libqt6gui6 libqt6widgets6 libc6; do
    grep -Eq "(^|, )$d \(>= [^)]+\)" <<<"$depende" || falha "Depends sem $d versionado: $depende"
done
grep -Eq "(^|, )comunicador-posto \(= $versao\)" <<<"$(campo "$simulador" Depends)" ||
    falha "o simulador não depende do programa desta versão: $(campo "$simulador" Depends)"
grep -qi companytec <<<"$depende" && falha "o programa depende da biblioteca do concentrador"

controle="$(mktemp -d)"
trap 'rm -rf "$controle"' EXIT
dpkg-deb -e "$programa" "$controle/programa"
[ "$(cat "$controle/programa/conffiles")" = "/etc/comunicador-posto/Caminho.ini
/etc/xdg/autostart/comunicador-posto.desktop" ] || falha "conffiles: $(cat "$controle/programa/conffiles")"
for s in postinst postrm; do
    [ -x "$controle/programa/$s" ] || falha "$s ausente ou não executável"
    sh -n "$controle/programa/$s" || falha "$s com erro de sintaxe"
done

# The entries start the packaged program in the folder of the packaged
# Caminho.ini.
dpkg-deb -x "$programa" "$controle/raiz"
for entrada in etc/xdg/autostart/comunicador-posto.desktop usr/share/applications/comunicador-posto.desktop; do
    arquivo="$controle/raiz/$entrada"
    desktop-file-validate "$arquivo" || falha "desktop-file-validate $entrada"
    [ "$(sed -n 's/^Exec=//p' "$arquivo")" = /opt/comunicador-posto/comunicador ] || falha "Exec de $entrada"
    [ "$(sed -n 's/^TryExec=//p' "$arquivo")" = /opt/comunicador-posto/comunicador ] || falha "TryExec de $entrada"
    [ "$(sed -n 's/^Path=//p' "$arquivo")" = /etc/comunicador-posto ] || falha "Path de $entrada"
    [ -f "$controle/raiz$(sed -n 's/^Path=//p' "$arquivo")/Caminho.ini" ] || falha "Caminho.ini fora de Path"
    [ -f "$controle/raiz/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$arquivo").svg" ] ||
        falha "ícone de $entrada"
    grep -q '^Name=.*posto' "$arquivo" || falha "Name de $entrada"
done

# lintian: no error, no warning.
lintian --fail-on error,warning "$programa" "$simulador" >"$controle/lintian" 2>&1
status=$?
grep -v 'running with root privileges' "$controle/lintian"
[ "$status" -eq 0 ] || falha "lintian (saída $status)"

[ "$erros" -eq 0 ] && echo "ok"
exit $((erros > 0))
