-- Builds the delivered Kartevo.sqb: the client table with its first nine columns, the sender
-- table and the postal codes. The program adds the rest of the schema at its first start.
-- Run by the sqlite3 shell from this folder: irsz_hu.csv is read with .import.
PRAGMA page_size = 4096;
CREATE TABLE ugyfel (
  ugyfel INTEGER PRIMARY KEY,
  ugyfel_nev CHAR(75),
  kapcsolat CHAR(75),
  cim_irsz CHAR(8),
  cim_varos CHAR(25),
  cim_cim CHAR(75),
  ugyfel_nevs CHAR(20),
  cim_vaross CHAR(20),
  kapcsolats CHAR(20)
);
CREATE INDEX ugyfel_nevs_idx ON ugyfel (ugyfel_nevs);
CREATE TABLE tulajdonos (
  tulajdonos INTEGER PRIMARY KEY,
  tulajdonos_nev CHAR(75),
  varoscim CHAR(75),
  irsz CHAR(8)
);
CREATE TABLE irsz (
  id INTEGER PRIMARY KEY,
  irsz CHAR(6),
  varos CHAR(30),
  varos_nevs CHAR(30)
);
CREATE INDEX irsz_irsz_idx ON irsz (irsz);
CREATE TEMP TABLE irsz_csv (irsz TEXT, varos TEXT);
.separator ";"
.import --skip 1 irsz_hu.csv irsz_csv
INSERT INTO irsz (id, irsz, varos) SELECT rowid, irsz, varos FROM irsz_csv ORDER BY rowid;
DROP TABLE irsz_csv;
