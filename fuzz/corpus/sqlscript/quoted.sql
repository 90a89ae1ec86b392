  
SELECT 'a;b' AS "x;y" FROM [t;1]; -- megjegyzés;
/* ; */ UPDATE ugyfel SET jelolve='N';
CREATE TRIGGER t AFTER INSERT ON ugyfel BEGIN SELECT 1; END;
DELETE FROM x