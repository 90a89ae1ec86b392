CREATE TABLE cimke (id INTEGER PRIMARY KEY, cimke CHAR(25), felsomargo FLOAT, szelsomargo FLOAT, cimkemagas FLOAT, oszlop INTEGER);
INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES (1, 'Avery 18036', 4.59, 0.00, 32.10, 3);
INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES (2, 'Avery 38931', 10.00, 0.00, 25.00, 3);
INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES (3, 'Avery 6121', 10.49, 9.50, 21.21, 5);
INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES (4, 'Avery 7160', 15.49, 7.48, 38.10, 3);
INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) VALUES (5, 'Avery 7161', 8.11, 7.41, 46.74, 3);
INSERT INTO cimke (id, cimke, felsomargo, 