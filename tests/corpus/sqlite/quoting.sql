-- Quoted names and literals that look like comments, terminators or mark-up.
CREATE TABLE "order" ("select" INTEGER PRIMARY KEY, "semi;colon" TEXT, [bracket name] TEXT,
                      `back tick` TEXT, "quote""inside" TEXT, "dash--name" TEXT);
INSERT INTO "order" VALUES(1, 'a', 'b', 'c', 'd', 'e');
INSERT INTO "order" ("select", "semi;colon") VALUES(2, 'x;y');
INSERT INTO "order" ("select", [bracket name]) VALUES(3, '[not] a name');
INSERT INTO "order" ("select", `back tick`) VALUES(4, '`inside`');
INSERT INTO "order" ("select", "quote""inside") VALUES(5, '"double" in single');
INSERT INTO "order" ("select", "dash--name") VALUES(6, 'dashes in a name');
INSERT INTO "order" VALUES(7, '''', '''''', 'it''s', '''twice''', 'x''');
INSERT INTO "order" VALUES(8, '', ' ', '  two spaces  inside  ', '   ', '	');
INSERT INTO "order" VALUES(9, 'line one
/
line three', '--
dash at line start', '/* looks like a comment */', '
leading break', 'trailing break
');
INSERT INTO "order" VALUES(10, 'Tom & Jerry ^ ~', '&&', '^^', '~~', '&1 and &2');
INSERT INTO "order" VALUES(11, 'unicode: ñ € 中', 'emoji 🙂', 'é combining', 'rtl שלום', 'ß');
INSERT INTO "order" VALUES(12, 'semicolon at line end;
next line', '/*', '*/', '/**/', '--;');
INSERT INTO "order" VALUES(13, '{h1} not a heading', '/* {h2} nor this */', '{sql}', 'PLOT', 'HOST');
INSERT INTO "order" VALUES(14, 'BEGIN', 'END;', 'COMMIT;', 'ROLLBACK', 'GO');
INSERT INTO "order" VALUES(15, '  indented
    lines   
  kept	as  typed', 'a  b', 'x', 'y', 'z');
CREATE TABLE "Mixed Case" (id INTEGER PRIMARY KEY, "Value" TEXT, value2 TEXT);
INSERT INTO "Mixed Case" VALUES(1, 'mixed', (SELECT count(*) FROM "order"));
INSERT INTO "Mixed Case" ("Value", value2) VALUES('next', 'id from the key');
CREATE TABLE lengths AS
  SELECT "select", length("semi;colon") AS l1, length([bracket name]) AS l2,
         length(`back tick`) AS l3, length("quote""inside") AS l4, length("dash--name") AS l5
    FROM "order" ORDER BY 1;
SELECT * FROM "order" WHERE "select" IN (9, 12, 15);
