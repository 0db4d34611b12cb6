-- Functions and a procedure whose bodies hold semicolons, in $$ and in tagged quotes.
CREATE TABLE price(item text PRIMARY KEY, amount numeric(10,2) NOT NULL);
INSERT INTO price VALUES ('tea', 2.50), ('cake', 3.75), ('jam; jar', 4.00);

CREATE FUNCTION add_tax(amount numeric, rate numeric DEFAULT 0.2) RETURNS numeric
LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
  taxed numeric;
BEGIN
  taxed := amount * (1 + rate);   -- a comment; with a semicolon
  RETURN round(taxed, 2);
END;
$$;

CREATE OR REPLACE FUNCTION label(item text) RETURNS text AS $body$
BEGIN
  /* a $$ in this body is plain text; so is 'this' */
  RETURN '$$' || upper(item) || '; ok';
END
$body$ LANGUAGE plpgsql;

CREATE FUNCTION twice(x int) RETURNS int LANGUAGE sql AS 'SELECT x * 2';
CREATE FUNCTION quoted_body() RETURNS text LANGUAGE sql AS 'SELECT ''it''''s; fine''';

CREATE FUNCTION fib(n int) RETURNS bigint AS $fib$
DECLARE a bigint := 0; b bigint := 1; t bigint;
BEGIN
  FOR i IN 1..n LOOP
    t := a + b; a := b; b := t;
  END LOOP;
  RETURN a;
END $fib$ LANGUAGE plpgsql;

CREATE FUNCTION squares(n int) RETURNS TABLE(k int, sq int) LANGUAGE plpgsql AS $$
BEGIN
  FOR i IN 1..n LOOP
    k := i; sq := i * i;
    RETURN NEXT;
  END LOOP;
END;
$$;

CREATE FUNCTION sql_body(a int, b int) RETURNS int
  LANGUAGE sql
  BEGIN ATOMIC
    SELECT a + b;
  END;

CREATE PROCEDURE bump(pct numeric) LANGUAGE plpgsql AS $$
BEGIN
  UPDATE price SET amount = round(amount * (1 + pct / 100), 2);
END $$;
CALL bump(10);

CREATE TABLE result AS
  SELECT item, amount, add_tax(amount) AS taxed, label(item) AS label FROM price;
INSERT INTO result (item, label)
  VALUES ('twice', twice(21)::text), ('quoted', quoted_body()), ('fib', fib(50)::text),
         ('sql body', sql_body(40, 2)::text);
CREATE TABLE square_table AS SELECT * FROM squares(5);
-- meant to fail: not a number
SELECT fib('ten');
-- meant to fail: the function exists
CREATE FUNCTION twice(x int) RETURNS int LANGUAGE sql AS 'SELECT x + x';
