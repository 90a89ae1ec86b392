#!/usr/bin/env python3
"""Writes data/cimke.sql (the label-format table script, one statement per line, CR LF)
from data/cimke_formats.csv. Run from the repository root after changing the CSV."""
import csv

with open('data/cimke_formats.csv', encoding='utf-8') as f:
    rows = list(csv.DictReader(f, delimiter=';'))
out = ["CREATE TABLE cimke (id INTEGER PRIMARY KEY, cimke CHAR(25), felsomargo FLOAT, "
       "szelsomargo FLOAT, cimkemagas FLOAT, oszlop INTEGER);"]
for i, r in enumerate(rows, 1):
    name = r['cimke'].replace("'", "''")
    out.append(f"INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES "
               f"({i}, '{name}', {r['felsomargo']}, {r['szelsomargo']}, {r['cimkemagas']}, {r['oszlop']});")
with open('data/cimke.sql', 'w', encoding='cp1250', newline='\r\n') as f:
    f.write('\n'.join(out) + '\n')
