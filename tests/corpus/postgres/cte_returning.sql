-- Data-modifying WITH, RETURNING, upserts and MERGE; RETURNING rows are kept in tables.
CREATE TABLE task(id int GENERATED ALWAYS AS IDENTITY PRIMARY KEY, title text NOT NULL,
                  done boolean DEFAULT false);
CREATE TABLE archive(id int PRIMARY KEY, title text, note text);
CREATE TABLE returned(what text, id int, title text);
INSERT INTO task(title) VALUES ('write; test'), ('review -- code'), ('ship'), ('celebrate')
  RETURNING id, title;
WITH added AS (
  INSERT INTO task(title) VALUES ('plan'), ('rest')
  RETURNING id, title
)
INSERT INTO returned SELECT 'added', id, title FROM added;
UPDATE task SET done = true WHERE title IN ('ship', 'plan') RETURNING id;
WITH moved AS (
  DELETE FROM task WHERE done
  RETURNING id, title
), logged AS (
  INSERT INTO returned SELECT 'moved', id, title FROM moved RETURNING id
)
INSERT INTO archive
  SELECT id, title, 'moved with ' || (SELECT count(*) FROM logged) || ' logged' FROM moved;
WITH RECURSIVE countdown(n) AS (VALUES (3) UNION ALL SELECT n - 1 FROM countdown WHERE n > 0)
INSERT INTO returned SELECT 'countdown', n, NULL FROM countdown;
-- meant to fail: an identity column written without OVERRIDING
INSERT INTO task(id, title) VALUES (100, 'forced');
INSERT INTO task(id, title) OVERRIDING SYSTEM VALUE VALUES (100, 'forced');
INSERT INTO archive VALUES (1, 'dup', 'x')
  ON CONFLICT (id) DO UPDATE SET note = archive.note || '; updated' RETURNING *;
INSERT INTO archive VALUES (1, 'dup', 'y')
  ON CONFLICT (id) DO UPDATE SET note = archive.note || '; updated' RETURNING *;
INSERT INTO archive VALUES (1, 'dup', 'z') ON CONFLICT DO NOTHING;
MERGE INTO archive a
USING (SELECT id, title FROM task WHERE id <= 2) t ON a.id = t.id
WHEN MATCHED THEN UPDATE SET note = a.note || '; merged'
WHEN NOT MATCHED THEN INSERT VALUES (t.id, t.title, 'merged in');
WITH upd AS (
  UPDATE task SET title = title || '!' WHERE id = 100 RETURNING id, title
)
INSERT INTO returned SELECT 'renamed', id, title FROM upd;
-- meant to fail: a WITH whose INSERT breaks the key
WITH again AS (INSERT INTO archive VALUES (1, 'again', 'no') RETURNING id)
INSERT INTO returned SELECT 'never', id, NULL FROM again;
CREATE TABLE summary AS
  SELECT (SELECT count(*) FROM task) AS tasks,
         (SELECT count(*) FROM archive) AS archived,
         (SELECT string_agg(title, '|' ORDER BY id) FROM task) AS titles;
