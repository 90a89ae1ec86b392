-- Fictitious demonstration data: 3 groups, 2 senders, 30 clients (run after Kartevo.sql).
ALTER TABLE ugyfel ADD jelolve CHAR(1);
ALTER TABLE ugyfel ADD csoport CHAR(50);
ALTER TABLE ugyfel ADD csoports CHAR(50);
CREATE TABLE csoport (csoport CHAR(50), csoports CHAR(50), PRIMARY KEY (csoport));
INSERT INTO csoport (csoport, csoports) VALUES ('Partnerek', 'PARTNEREK');
INSERT INTO csoport (csoport, csoports) VALUES ('Szállítók', 'SZALLITOK');
INSERT INTO csoport (csoport, csoports) VALUES ('Önkormányzatok', 'ONKORMANYZATOK');
INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev, varoscim, irsz) VALUES (1, 'Minta Iroda Kft.', 'Budapest, Kossuth Lajos tér 1.', '1055');
INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev, varoscim, irsz) VALUES (2, 'Példa Könyvelő Bt.', 'Debrecen, Piac utca 20.', '4025');
INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim,