#!/usr/bin/env bash
# Creates a station database file (SQL dialect 1) from data/schema/estacao.sql
# through the embedded engine; --demo adds the demo data.
#   scripts/cria-banco.sh <arquivo.fdb> [--demo]
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || { [ $# -eq 2 ] && [ "$2" != "--demo" ]; }; then
    echo "uso: $0 <arquivo.fdb> [--demo]" >&2
    exit 2
fi
esquema="$(cd "$(dirname "$0")/../data/schema" && pwd)"
arquivo="$(realpath -m "$1")"
if [ -e "$arquivo" ]; then
    echo "O arquivo já existe: $arquivo" >&2
    exit 1
fi
mkdir -p "$(dirname "$arquivo")"

{
    echo "SET SQL DIALECT 1;"
    echo "CREATE DATABASE '${arquivo//\'/\'\'}' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;"
    cat "$esquema/estacao.sql"
    if [ "${2:-}" = "--demo" ]; then
        cat "$esquema/demo.sql"
    fi
} | isql-fb -q -b -ch NONE 2> >(grep -v -e 'SQL warning code = 301' -e 'DATE data type is now called TIMESTAMP' >&2) || {
    rm -f "$arquivo"
    echo "Falha ao criar $arquivo" >&2
    exit 1
}
echo "$arquivo"
