-- The server's string and name forms: escapes, Unicode escapes, dollar quotes, nested
-- comments, the regular expression operators.
CREATE TABLE literal(label text PRIMARY KEY, val text);
INSERT INTO literal VALUES ('e quote', E'it\'s');
INSERT INTO literal VALUES ('e newline', E'one\ntwo');
INSERT INTO literal VALUES ('e tab', E'a\tb');
INSERT INTO literal VALUES ('e backslash', E'back\\slash');
INSERT INTO literal VALUES ('e octal hex unicode', E'\101\x42\u0043');
INSERT INTO literal VALUES ('e quote at end', E'ends with a quote\'');
INSERT INTO literal VALUES ('standard backslash', 'C:\temp\new');
INSERT INTO literal VALUES ('doubled quote', 'O''Brien');
INSERT INTO literal VALUES ('unicode escape', U&'d\0061t\+000061');
INSERT INTO literal VALUES ('unicode uescape', U&'!0041!+000042' UESCAPE '!');
INSERT INTO literal VALUES ('dollar', $$it's $dollar$ ; -- not a comment$$);
INSERT INTO literal VALUES ('tagged dollar', $q$a $$ b; c$q$);
INSERT INTO literal VALUES ('adjacent'
  'continued on the next line');   -- literals on separate lines are joined
INSERT INTO literal VALUES ('caret tilde amp', 'a^b ~ Tom & Jerry R&B/Soul');
INSERT INTO literal VALUES ('literal newline', 'first
second; -- third');
/* a /* nested */ comment; INSERT INTO literal VALUES ('never', 'x'); */
INSERT INTO literal VALUES ('after nested comment', 'yes'); /* a /* b */ c */
/* a comment over lines
   /* with one nested ; */
   INSERT INTO literal VALUES ('never either', 'x');
*/
INSERT INTO literal VALUES ('regex match', ('abc123' ~ '^[a-z]+[0-9]+$')::text);
INSERT INTO literal VALUES ('regex no match', ('ABC' ~ '^[a-z]+$')::text);
INSERT INTO literal VALUES ('regex case-insensitive', ('ABC' ~* '^[a-z]+$')::text);
INSERT INTO literal VALUES ('regexp_replace', regexp_replace('AAA', '^|$', 'Z', 'g'));
INSERT INTO literal VALUES ('not regex', ('x--y' !~ '--')::text);
INSERT INTO literal VALUES ('like dashes', ('a--b' LIKE '%--%')::text);
INSERT INTO literal VALUES ('bitwise not', (~5)::text);
INSERT INTO literal VALUES ('bit xor', (5 # 3)::text);
INSERT INTO literal VALUES ('power', (2 ^ 10)::text);
INSERT INTO literal VALUES ('cast', 42::text || '::' || '7'::int);
INSERT INTO literal VALUES ('array', (ARRAY['a;b', 'c--d', 'e''f'])::text);
INSERT INTO literal VALUES ('json', '{"k": "v; w", "n": [1, 2]}'::jsonb ->> 'k');
INSERT INTO literal VALUES ('format', format('%s & %L', 'Tom', 'Jerry''s'));
CREATE TABLE U&"t\00e4ble" (U&"col\+0000e9" text);
INSERT INTO U&"t\00e4ble" VALUES ('unicode names');
CREATE TABLE "weird;name--x" ("a""b" int, "/*c*/" text);
INSERT INTO "weird;name--x" VALUES (1, '*/');
-- meant to fail: a backslash escape in a standard string does not hide the quote
INSERT INTO literal VALUES ('broken', 'it\'s'); -- the statement runs on to here: ');
SELECT label, val FROM literal ORDER BY label;
