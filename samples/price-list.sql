-- The price list that the lesson "Checking a library" keeps a snapshot of.
SELECT ITEM, PRICE FROM PRACTICE_PRICE ORDER BY ITEM;
SELECT COUNT(*) AS ITEMS, SUM(PRICE) AS TOTAL FROM PRACTICE_PRICE;
