-- Triggers with bodies of several statements, views, upserts, common table expressions.
CREATE TABLE stock(sku TEXT PRIMARY KEY, qty INTEGER NOT NULL DEFAULT 0, changes INTEGER DEFAULT 0) WITHOUT ROWID;
CREATE TABLE stock_audit(id INTEGER PRIMARY KEY AUTOINCREMENT, sku TEXT, change TEXT);
CREATE TRIGGER stock_change AFTER UPDATE OF qty ON stock
WHEN new.qty <> old.qty
BEGIN
  INSERT INTO stock_audit(sku, change)
    VALUES(new.sku, CASE WHEN new.qty > old.qty THEN 'up ' ELSE 'down ' END || abs(new.qty - old.qty));
  UPDATE stock SET changes = changes + 1 WHERE sku = new.sku;
END;
CREATE TRIGGER stock_keep BEFORE DELETE ON stock
FOR EACH ROW WHEN old.qty > 0
BEGIN
  SELECT RAISE(IGNORE);
END;
CREATE TRIGGER "stock; added" AFTER INSERT ON stock BEGIN INSERT INTO stock_audit(sku, change) VALUES(new.sku, 'new; ' || new.qty); END;
INSERT INTO stock(sku, qty) VALUES('bolt', 10), ('nut', 0), ('gear', 3);
UPDATE stock SET qty = qty + 5 WHERE sku = 'bolt';
UPDATE stock SET qty = 3 WHERE sku = 'gear';
UPDATE stock SET qty = 1 WHERE sku = 'gear';
DELETE FROM stock; -- only the empty one goes
INSERT INTO stock(sku, qty) VALUES('bolt', 2), ('cog', 4)
  ON CONFLICT(sku) DO UPDATE SET qty = qty + excluded.qty;
INSERT OR IGNORE INTO stock(sku, qty) VALUES('cog', 100);
INSERT OR REPLACE INTO stock(sku, qty, changes) VALUES('washer', 9, -1);
-- A text that reads like the end of a trigger body.
CREATE TRIGGER audit_text AFTER INSERT ON stock_audit WHEN new.change = 'END;'
BEGIN
  UPDATE stock_audit SET change = 'END; seen' WHERE id = new.id;
END;
INSERT INTO stock_audit(sku, change) VALUES('text', 'END;');
CREATE VIEW stock_report AS
  SELECT s.sku, s.qty,
         (SELECT count(*) FROM stock_audit a WHERE a.sku = s.sku) AS audits
    FROM stock s;
CREATE TABLE report AS SELECT * FROM stock_report ORDER BY sku;
CREATE TABLE series AS
WITH RECURSIVE n(i, fact) AS (
  SELECT 1, 1
  UNION ALL
  SELECT i + 1, fact * (i + 1) FROM n WHERE i < 20
)
SELECT i, fact FROM n;
CREATE TABLE running AS
  SELECT i, sum(i) OVER (ORDER BY i ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW) AS total,
         lag(i, 1, -1) OVER (ORDER BY i) AS previous
    FROM series;
CREATE TABLE word AS
  SELECT i, CASE WHEN i % 15 = 0 THEN 'fizzbuzz' WHEN i % 3 = 0 THEN 'fizz'
                 WHEN i % 5 = 0 THEN 'buzz' ELSE CAST(i AS TEXT) END AS said
    FROM series;
WITH big AS (SELECT i FROM series WHERE fact > 1000000)
DELETE FROM word WHERE i IN (SELECT i FROM big);
WITH totals(kind, n) AS (SELECT said GLOB '*[a-z]*', count(*) FROM word GROUP BY 1)
INSERT INTO report(sku, qty, audits) SELECT 'words ' || kind, n, NULL FROM totals;
DROP VIEW stock_report;
CREATE VIEW IF NOT EXISTS stock_empty AS SELECT sku FROM stock WHERE qty = 0;
CREATE TEMP TABLE scratch AS SELECT 1 AS x; -- a temporary table is not kept
INSERT INTO report SELECT 'scratch', x, NULL FROM scratch;
