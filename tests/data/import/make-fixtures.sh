#!/usr/bin/env bash
# Remakes the spreadsheet fixtures of the import tests (the tests use the checked-in files):
#   ugyfelek.xlsx, ugyfelek.ods, ugyfelek.xls  written by LibreOffice Calc from ugyfelek.fods
#   ugyfelek-library.xlsx                      written by python3-openpyxl (inline strings)
# Needs libreoffice-calc and python3-openpyxl (neither is needed by the tests themselves).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A profile of its own, so a running office suite of the user is not disturbed.
office=(libreoffice "-env:UserInstallation=file://$work/profile" --headless)
"${office[@]}" --convert-to xlsx:"Calc MS Excel 2007 XML" --outdir "$work" ugyfelek.fods
"${office[@]}" --convert-to ods --outdir "$work" ugyfelek.fods
# The .xls reader's library does not tell merged ranges, so the .xls is made from the same sheet
# without the value the other two keep hidden under the merged cell (as the office suite's own
# "merge and empty the hidden cells" leaves it).
mkdir "$work/xls"
sed 's|<text:p>Rejtett</text:p>||' ugyfelek.fods > "$work/xls/ugyfelek.fods"
"${office[@]}" --convert-to xls:"MS Excel 97" --outdir "$work" "$work/xls/ugyfelek.fods"
cp "$work/ugyfelek.xlsx" "$work/ugyfelek.ods" "$work/ugyfelek.xls" .

# Debian's own interpreter, which finds python3-openpyxl.
/usr/bin/python3 - <<'PY'
import datetime
from openpyxl import Workbook

book = Workbook()
sheet = book.active
sheet.title = "Ügyfelek"
for row in [
    ["Név", "Kapcsolattartó", "Irányítószám", "Település", "Cím", "Csoport"],
    ["Kovács és Társa Kft.", "Kovács Ödön", 6720, "Szeged", "Kárász utca 5.", "Partnerek"],
    ["Őri Gyula", None, 1051, "Budapest", "Fő utca 1.", "Magánszemélyek"],
    ["Űrtechnika Zrt.", "Szűcs Előd", 9021, "Győr", "Szent István út 10.", "Szállítók"],
    ["Bőrdíszmű Bt.", "Tőkés Űrsula", 3525, "Miskolc", "Széchenyi István út 12.", None],
]:
    sheet.append(row)
sheet.merge_cells("F4:F5")
other = book.create_sheet("Egyéb")
other.append(["Tétel", "Érték", "Dátum"])
other.append(["Kedvezmény", 12.5, datetime.date(2024, 3, 15)])
other["C2"].number_format = "yyyy-mm-dd"
book.save("ugyfelek-library.xlsx")
PY
