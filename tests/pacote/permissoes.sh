#!/usr/bin/env bash
# The program's folder as the maintainer script leaves it: a member of the
# package's group writes logs there, but cannot rename, remove or replace
# root's files (the program, the concentrator library). Runs the packaged
# postinst with dpkg-statoverride and addgroup recorded instead of applied,
# then applies what it asked for to an unpacked copy, with a throwaway user
# and group in place of the package's group.
#   permissoes.sh <pasta dos pacotes> <versão>
set -uo pipefail
pasta="$1"
versao="$2"
arq="$(dpkg --print-architecture)"
programa="$pasta/comunicador-posto_${versao}_${arq}.deb"
simulador="$pasta/comunicador-posto-simulador_${versao}_${arq}.deb"

if [ "$(id -u)" -ne 0 ]; then
    echo "IGNORADO: é preciso ser root para criar o usuário e o grupo de teste e dar arquivos ao root." >&2
    exit 77
fi

erros=0
falha() {
    echo "FALHA: $*" >&2
    erros=$((erros + 1))
}

trabalho="$(mktemp -d)"
chmod 755 "$trabalho"
nome="cpteste$$"
limpa() {
    userdel "$nome" 2>/dev/null
    groupdel "$nome" 2>/dev/null
    rm -rf "$trabalho"
}
trap limpa EXIT

# The postinst with its system tools recorded.
mkdir -p "$trabalho/falsos" "$trabalho/controle"
dpkg-deb -e "$programa" "$trabalho/controle"
for ferramenta in dpkg-statoverride addgroup getent; do
    cat >"$trabalho/falsos/$ferramenta" <<FALSO
#!/bin/sh
echo "$ferramenta \$*" >>"$trabalho/chamadas"
# Nothing is there yet: no override, no group.
case "\$1" in --list | group) exit 1 ;; esac
exit 0
FALSO
    chmod +x "$trabalho/falsos/$ferramenta"
done
PATH="$trabalho/falsos:$PATH" "$trabalho/controle/postinst" configure || falha "postinst configure"
grep -qx 'addgroup --system --quiet comunicador-posto' "$trabalho/chamadas" ||
    falha "postinst não cria o grupo: $(cat "$trabalho/chamadas")"
sobreposicoes="$(sed -n 's/^dpkg-statoverride --update --add //p' "$trabalho/chamadas")"
grep -q ' /opt/comunicador-posto$' <<<"$sobreposicoes" ||
    falha "postinst não define a pasta do programa: $sobreposicoes"

groupadd "$nome" || { echo "FALHA: groupadd" >&2; exit 1; }
useradd -M -N -g "$nome" -s /bin/sh "$nome" || { echo "FALHA: useradd" >&2; exit 1; }

raiz="$trabalho/raiz"
dpkg-deb -x "$programa" "$raiz"
dpkg-deb -x "$simulador" "$raiz"
while read -r dono grupo modo caminho; do
    [ "$grupo" = comunicador-posto ] && grupo="$nome"
    chown "$dono:$grupo" "$raiz$caminho" && chmod "$modo" "$raiz$caminho" || falha "aplicar $caminho"
done <<<"$sobreposicoes"

dir="$raiz/opt/comunicador-posto"
como_membro() { runuser -u "$nome" -- sh -c "$1" 2>/dev/null; }

# What the program does as the operator: new files in its folder.
como_membro "echo linha >'$dir/LogErroConcentrador'" || falha "o membro do grupo não cria o log"
[ "$(stat -c %G "$dir/LogErroConcentrador" 2>/dev/null)" = "$nome" ] ||
    falha "arquivo novo sem o grupo do pacote"
como_membro "rm '$dir/LogErroConcentrador'" || falha "o membro não remove o próprio arquivo"

# What the sticky bit is for: root's files stay as root installed them.
for arquivo in comunicador libCompanytec.so qt.conf; do
    alvo="$dir/$arquivo"
    antes="$(sha256sum <"$alvo")"
    como_membro "mv '$alvo' '$dir/outro'" && falha "o membro renomeou $arquivo"
    como_membro "rm -f '$alvo'" && falha "o membro removeu $arquivo"
    como_membro "echo x >>'$alvo'" && falha "o membro escreveu em $arquivo"
    como_membro "echo x >'$dir/falso' && mv -f '$dir/falso' '$alvo'" && falha "o membro trocou $arquivo"
    [ "$(stat -c %U "$alvo")" = root ] && [ "$(sha256sum <"$alvo")" = "$antes" ] ||
        falha "$arquivo mudou"
done

# Qt loads plugins from folders beside the program: root's, closed to the group.
como_membro "echo x >'$dir/platforms/libqxcb.so'" && falha "o membro criou um plugin"
como_membro "mv '$dir/platforms' '$dir/outra'" && falha "o membro renomeou a pasta de plugins"

# The database password: the group reads Caminho.ini, nobody else does.
ini="$raiz/etc/comunicador-posto/Caminho.ini"
como_membro "cat '$ini' >/dev/null" || falha "o membro não lê o Caminho.ini"
runuser -u nobody -- cat "$ini" >/dev/null 2>&1 && falha "outro usuário lê o Caminho.ini"

[ "$erros" -eq 0 ] && echo "ok"
exit $((erros > 0))
