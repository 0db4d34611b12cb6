-- Work rolled back is gone, work committed stays; a failing statement is counted and the
-- run goes on. Statements meant to fail stand on lines of their own: after a failure the
-- shell drops the rest of the line.
CREATE TABLE account(id INTEGER PRIMARY KEY, owner TEXT UNIQUE,
                     balance INTEGER NOT NULL CHECK (balance >= 0));
INSERT INTO account VALUES(1, 'ann', 100);
INSERT INTO account VALUES(2, 'bob', 50);
BEGIN;
UPDATE account SET balance = balance - 30 WHERE id = 1;
UPDATE account SET balance = balance + 30 WHERE id = 2;
INSERT INTO account VALUES(3, 'cat', 10);
ROLLBACK;
-- Nothing of that stays: ann 100, bob 50, no cat.
BEGIN TRANSACTION;
UPDATE account SET balance = balance - 20 WHERE id = 1;
UPDATE account SET balance = balance + 20 WHERE id = 2;
COMMIT;
-- A failure inside a transaction does not end it.
BEGIN;
INSERT INTO account VALUES(4, 'dan', 5);
-- meant to fail (1): duplicate key
INSERT INTO account VALUES(1, 'again', 1);
INSERT INTO account VALUES(5, 'eve', 7);
COMMIT;
-- meant to fail (2): the CHECK
UPDATE account SET balance = balance - 1000 WHERE id = 2;
BEGIN;
INSERT INTO account VALUES(6, 'fay', 1);
SAVEPOINT before_gus;
INSERT INTO account VALUES(7, 'gus', 2);
ROLLBACK TO before_gus;
RELEASE before_gus;
COMMIT;
BEGIN DEFERRED;
DELETE FROM account WHERE owner = 'dan';
END TRANSACTION;
BEGIN IMMEDIATE TRANSACTION;
DELETE FROM account;
ROLLBACK TRANSACTION;
BEGIN EXCLUSIVE;
UPDATE account SET owner = upper(owner) WHERE id IN (1, 2);
COMMIT TRANSACTION;
-- meant to fail (3): BEGIN inside a transaction, the first one stays open
BEGIN;
BEGIN;
INSERT INTO account VALUES(8, 'hal', 3);
COMMIT;
-- A savepoint outside BEGIN is a transaction of its own.
SAVEPOINT outer_work;
INSERT INTO account VALUES(9, 'ivy', 4);
ROLLBACK TO outer_work;
INSERT INTO account VALUES(10, 'jon', 6);
RELEASE outer_work;
CREATE TABLE account_total AS
  SELECT count(*) AS accounts, sum(balance) AS total, group_concat(owner, ',') AS owners
    FROM (SELECT * FROM account ORDER BY id);
