-- Anonymous blocks: DO with $$ and tagged bodies, loops, notices and caught errors.
CREATE TABLE counter(name text PRIMARY KEY, n int);
DO $$
BEGIN
  FOR i IN 1..5 LOOP
    INSERT INTO counter VALUES ('c' || i, i * i);
  END LOOP;
END $$;

DO LANGUAGE plpgsql $do$
DECLARE
  total int;
BEGIN
  SELECT sum(n) INTO total FROM counter;
  INSERT INTO counter VALUES ('total; of squares', total);
  RAISE NOTICE 'total is %', total;  -- a notice, not an error
END
$do$;

DO $outer$
BEGIN
  EXECUTE $sql$INSERT INTO counter VALUES ('dynamic $$ text', 42)$sql$;
  EXECUTE format('INSERT INTO counter VALUES (%L, %s)', 'it''s quoted', 7);
END
$outer$;

-- An error caught inside the block does not fail the statement.
DO $$
BEGIN
  INSERT INTO counter VALUES ('c1', 0);
EXCEPTION WHEN unique_violation THEN
  INSERT INTO counter VALUES ('caught', -1);
END $$;

-- meant to fail: an error raised and not caught
DO $$ BEGIN RAISE EXCEPTION 'stop; here'; END $$;

-- meant to fail: a body with a syntax error
DO $$ BEGIN INSERT INTO counter VALUES ('bad' 1); END $$;

DO $$
DECLARE r record;
BEGIN
  FOR r IN SELECT name FROM counter WHERE name LIKE 'c_' ORDER BY name LOOP
    UPDATE counter SET n = n + 100 WHERE name = r.name;
  END LOOP;
END;
$$;
DO $$ BEGIN INSERT INTO counter VALUES ('one line', 1); END $$; DO $$ BEGIN INSERT INTO counter VALUES ('same line', 2); END $$;
DO
$$
DECLARE
  msg text := 'semicolons; in; a; variable';
BEGIN
  INSERT INTO counter VALUES (msg, length(msg));
  -- END; inside a comment
  /* END; inside a block comment */
END
$$
;
DO $$ BEGIN RAISE WARNING 'a warning is not an error'; END $$;
