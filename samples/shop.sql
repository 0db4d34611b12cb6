-- A small shop as a database tool dumps it: plain SQL, one statement after another,
-- in one transaction. The lesson "Your own SQL files" runs it.
BEGIN TRANSACTION;
CREATE TABLE PRACTICE_SHOP_ITEM (
    ITEM_ID INTEGER PRIMARY KEY,
    NAME    VARCHAR(40) NOT NULL,
    PRICE   DECIMAL(8,2) NOT NULL,
    NOTE    VARCHAR(60)
);
CREATE TABLE PRACTICE_SHOP_LOG (
    ITEM_ID   INTEGER,
    OLD_PRICE DECIMAL(8,2),
    NEW_PRICE DECIMAL(8,2)
);
-- Each price change leaves a line in the log; the trigger's body holds semicolons.
CREATE TRIGGER PRACTICE_SHOP_PRICE AFTER UPDATE OF PRICE ON PRACTICE_SHOP_ITEM
BEGIN
    INSERT INTO PRACTICE_SHOP_LOG VALUES (OLD.ITEM_ID, OLD.PRICE, NEW.PRICE);
END;
INSERT INTO PRACTICE_SHOP_ITEM VALUES (1, 'Salt & Pepper', 3.50, 'an & in a literal');
INSERT INTO PRACTICE_SHOP_ITEM VALUES (2, 'Caret ^ Tea', 4.20, 'a caret ^ and a tilde ~');
INSERT INTO PRACTICE_SHOP_ITEM VALUES (3, 'Dash -- Cake', 2.80, '-- in quotes is no comment');
COMMIT;
