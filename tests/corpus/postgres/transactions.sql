-- Transactions as psql runs them: after a failure inside one, every statement fails until
-- its end, and COMMIT of such a transaction rolls it back.
CREATE TABLE ledger(id int PRIMARY KEY, entry text NOT NULL);
INSERT INTO ledger VALUES (1, 'opening');
BEGIN;
INSERT INTO ledger VALUES (2, 'rolled back');
UPDATE ledger SET entry = 'changed' WHERE id = 1;
ROLLBACK;
START TRANSACTION;
INSERT INTO ledger VALUES (3, 'kept');
COMMIT;
BEGIN TRANSACTION ISOLATION LEVEL SERIALIZABLE;
INSERT INTO ledger VALUES (4, 'kept too');
END;
BEGIN;
INSERT INTO ledger VALUES (5, 'lost with the failure');
-- meant to fail (1): duplicate key
INSERT INTO ledger VALUES (1, 'duplicate');
-- A failure undoes only itself (psql's ON_ERROR_ROLLBACK): this row goes with the ROLLBACK.
INSERT INTO ledger VALUES (6, 'refused');
ROLLBACK;
BEGIN;
INSERT INTO ledger VALUES (7, 'before the savepoint');
SAVEPOINT s1;
-- meant to fail (2): NOT NULL
INSERT INTO ledger VALUES (8, NULL);
ROLLBACK TO SAVEPOINT s1;
INSERT INTO ledger VALUES (9, 'after the savepoint');
RELEASE SAVEPOINT s1;
COMMIT;
BEGIN;
INSERT INTO ledger VALUES (10, 'kept at commit');
-- meant to fail (3): division by zero
SELECT 1 / 0;
COMMIT;
-- Only warnings: no transaction is open.
COMMIT;
ROLLBACK;
INSERT INTO ledger VALUES (11, 'one'); INSERT INTO ledger VALUES (12, 'two'); -- both kept
START TRANSACTION READ ONLY;
-- meant to fail (4): a read-only transaction
INSERT INTO ledger VALUES (13, 'read only');
ROLLBACK;
BEGIN;
CREATE TABLE scratch(x int);
INSERT INTO scratch VALUES (1);
ROLLBACK;
-- meant to fail (5): the table went with the rollback
SELECT * FROM scratch;
BEGIN; INSERT INTO ledger VALUES (14, 'one line'); COMMIT;
BEGIN;
INSERT INTO ledger VALUES (15, 'prepared for nothing');
ABORT;
CREATE TABLE ledger_count AS
  SELECT count(*) AS n, string_agg(id::text, ',' ORDER BY id) AS ids FROM ledger;
