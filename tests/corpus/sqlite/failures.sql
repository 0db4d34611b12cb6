-- Fourteen failing statements, each on a line of its own; the work between them stays.
CREATE TABLE item(id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, qty INTEGER CHECK (qty >= 0));
INSERT INTO item VALUES(1, 'A1', 10);
-- meant to fail (1): duplicate key
INSERT INTO item VALUES(1, 'A2', 5);
-- meant to fail (2): NOT NULL
INSERT INTO item VALUES(2, NULL, 5);
-- meant to fail (3): CHECK
INSERT INTO item VALUES(3, 'C3', -1);
-- meant to fail (4): UNIQUE
INSERT INTO item VALUES(4, 'A1', 1);
-- meant to fail (5): no such table
SELECT * FROM missing_table;
-- meant to fail (6): a syntax error (a comma left out)
INSERT INTO item VALUES(5 'E5', 1);
-- meant to fail (7): no such column
UPDATE item SET quantity = 3;
-- meant to fail (8): the table exists
CREATE TABLE item(id INTEGER);
-- meant to fail (9): a statement over several lines that fails
INSERT INTO item
  (id, code, qty)
VALUES
  (6, 'F6', -5);
-- meant to fail (10): a misspelt keyword
SELEC 1;
-- meant to fail (11): too few values
INSERT INTO item VALUES(7, 'G7');
INSERT INTO item VALUES(8, 'H8', 0);
CREATE TRIGGER item_kept BEFORE DELETE ON item
BEGIN
  SELECT RAISE(ABORT, 'items are kept; always');
END;
-- meant to fail (12): the trigger refuses it
DELETE FROM item WHERE id = 1;
-- meant to fail (13): no such table to drop; IF EXISTS is fine
DROP TABLE gone;
DROP TABLE IF EXISTS gone;
-- meant to fail (14): wrong number of arguments
SELECT abs(1, 2);
INSERT INTO item VALUES(9, 'I9', 2);
SELECT 1 / 0; -- not an error here: the result is NULL
CREATE TABLE item_total AS
  SELECT count(*) AS items, sum(qty) AS qty, group_concat(code, ',') AS codes
    FROM (SELECT * FROM item ORDER BY id);
