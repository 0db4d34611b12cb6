-- Values of many types, sequences, domains and enums, ALTER TABLE and comments on objects.
CREATE TYPE mood AS ENUM ('sad', 'ok', 'happy; very');
CREATE DOMAIN positive AS int CHECK (VALUE > 0);
CREATE SEQUENCE ticket START 100 INCREMENT 5;
CREATE TABLE sample(
  id int PRIMARY KEY DEFAULT nextval('ticket'),
  r real, d double precision, n numeric(20,6), b bytea, flag boolean,
  day date, at timestamp, span interval, tags text[], m mood, p positive, doc jsonb
);
INSERT INTO sample(r, d, n, b, flag, day, at, span, tags, m, p, doc) VALUES
  (1234567.890625, 1234567.890625, 1234567.890625, '\x414243', true, '2024-02-29',
   '2024-02-29 23:59:59.5', '1 day 02:03:04', '{"a;b", "c--d"}', 'ok', 1, '{"k": [1, 2.5, null]}');
INSERT INTO sample(r, d, n, b, flag, tags, m, p) VALUES
  (0.1, 0.1, 0.1, decode('7e5e26', 'hex'), false, ARRAY['&', '^', '~'], 'happy; very', 2);
INSERT INTO sample(r, d, n, b) VALUES
  (1e-7, 1.5e300, -99999999999999.999999, E'\\x00ff'::bytea);
INSERT INTO sample(id, r, d) VALUES (1, 'NaN', '-Infinity');
-- meant to fail: the domain's check
INSERT INTO sample(p) VALUES (0);
-- meant to fail: not a value of the enum
INSERT INTO sample(m) VALUES ('angry');
-- meant to fail: numeric overflow
INSERT INTO sample(n) VALUES (1e20);
SELECT setval('ticket', 500);
INSERT INTO sample(flag) VALUES (NULL);
ALTER TABLE sample ADD COLUMN note text DEFAULT 'added; later';
ALTER TABLE sample ADD COLUMN total numeric GENERATED ALWAYS AS (n * 2) STORED;
ALTER TABLE sample RENAME COLUMN flag TO is_set;
COMMENT ON TABLE sample IS 'values; of -- many types';
COMMENT ON COLUMN sample.r IS 'it''s real';
CREATE VIEW sample_text AS
  SELECT id, r::text AS r, d::text AS d, n::text AS n, encode(b, 'hex') AS b,
         to_char(day, 'YYYY-MM-DD') AS day, span::text AS span, array_length(tags, 1) AS tags
    FROM sample;
CREATE TABLE sample_copy AS SELECT * FROM sample_text ORDER BY id;
CREATE TABLE arithmetic AS
  SELECT 7 / 2 AS int_div, 7.0 / 2 AS num_div, -7 % 3 AS modulo, 2 ^ 0.5 AS root,
         |/ 16 AS sqrt, @ -5 AS abs, 1 << 4 AS shifted, 5 & 3 AS bit_and, 5 | 3 AS bit_or,
         round(2.5) AS round_half, 1234567.890625::real AS as_real,
         (0.1::float8 + 0.2::float8) AS float_sum;
