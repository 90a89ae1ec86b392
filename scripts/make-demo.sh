#!/usr/bin/env bash
# Prepares the demo data folder BUILD/demo/Kartevo: the delivered database with fictitious
# clients, groups and senders, a Kartevo.ini and the language files (Lang/, added to an existing
# demo folder too, without replacing one there). An existing demo folder is kept as it is, so
# what was changed in the demo survives; delete the folder to start afresh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: make-demo.sh BUILD_DIR}
demo="$build/demo/Kartevo"

mkdir -p "$demo/Lang"
cp -n "$build/share/kartevo/Lang/"*.ini "$demo/Lang/" 2>/dev/null || true
[ -f "$demo/Kartevo.sqb" ] && exit 0
tmp="$demo/Kartevo.sqb.tmp"
rm -f "$tmp"
cp "$build/share/kartevo/Kartevo.sqb" "$tmp"
sqlite3 -bail "$tmp" ".read $root/data/demo/demo.sql"
mv "$tmp" "$demo/Kartevo.sqb"
printf '[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Defaults]\r\nSender=1\r\nOnly1Sender=1\r\nUsePrinter=0\r\n' > "$demo/Kartevo.ini"
echo "Demo data folder: $demo"
