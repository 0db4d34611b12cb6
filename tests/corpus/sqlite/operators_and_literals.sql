-- Operators and literals made of characters that a script reader may take for its own.
CREATE TABLE sample_text(id INTEGER PRIMARY KEY, txt TEXT);
INSERT INTO sample_text VALUES(1, 'plain ascii');
INSERT INTO sample_text VALUES(2, 'café');
INSERT INTO sample_text VALUES(3, 'tab	here');
INSERT INTO sample_text VALUES(4, 'a--b');
INSERT INTO sample_text VALUES(5, '--');
INSERT INTO sample_text VALUES(6, 'a^b');
INSERT INTO sample_text VALUES(7, 'Tom & Jerry');
INSERT INTO sample_text VALUES(8, 'R&B/Soul');
INSERT INTO sample_text VALUES(9, '~/notes.txt');
INSERT INTO sample_text VALUES(10, 'x' || char(10) || 'y');
INSERT INTO sample_text VALUES(11, '10%');
CREATE TABLE finding(label TEXT PRIMARY KEY, value);
-- Ids of the rows with a character outside printable ASCII: 2, 3 and 10.
INSERT INTO finding SELECT 'glob non-ascii', group_concat(id, ',')
  FROM (SELECT id FROM sample_text WHERE txt GLOB '*[^ -~]*' ORDER BY id);
INSERT INTO finding SELECT 'like dashes', group_concat(id, ',')
  FROM (SELECT id FROM sample_text WHERE txt LIKE '%--%' ORDER BY id);
INSERT INTO finding SELECT 'like escaped', group_concat(id, ',')
  FROM (SELECT id FROM sample_text WHERE txt LIKE '%^%' ESCAPE '^' ORDER BY id);
INSERT INTO finding SELECT 'glob caret class', group_concat(id, ',')
  FROM (SELECT id FROM sample_text WHERE txt GLOB '*[&^~]*' ORDER BY id);
INSERT INTO finding VALUES('bitwise not', ~5);
INSERT INTO finding VALUES('not not', ~~5);
INSERT INTO finding VALUES('not minus', -~5);
INSERT INTO finding VALUES('caret text', 'a^b');
INSERT INTO finding VALUES('ampersand', 'Tom & Jerry');
INSERT INTO finding VALUES('ampersand word', 'R&B/Soul');
INSERT INTO finding VALUES('ampersand end', 'Q&A');
INSERT INTO finding VALUES('blob', x'414243');
INSERT INTO finding VALUES('blob upper', X'7E5E26');
INSERT INTO finding VALUES('blob length', length(x'414243'));
INSERT INTO finding VALUES('blob as text', CAST(x'414243' AS TEXT));
INSERT INTO finding VALUES('real', 1234567.890625);
INSERT INTO finding VALUES('real sum', 0.1 + 0.2);
INSERT INTO finding VALUES('real small', 1.5e-7);
INSERT INTO finding VALUES('real text', CAST(1234567.890625 AS TEXT));
INSERT INTO finding VALUES('real division', 1.0 / 3);
INSERT INTO finding VALUES('big integer', 9223372036854775807);
INSERT INTO finding VALUES('smallest integer', -9223372036854775808);
INSERT INTO finding VALUES('too big for integer', 9223372036854775808);
INSERT INTO finding VALUES('hex integer', 0x7FfF);
INSERT INTO finding VALUES('integer division', 7 / 2);
INSERT INTO finding VALUES('modulo', -7 % 3);
INSERT INTO finding VALUES('bit ops', (12 & 10) || ' ' || (12 | 10) || ' ' || (1 << 4) || ' ' || (-16 >> 2));
INSERT INTO finding VALUES('concat', 'a' || '--' || 'b');
INSERT INTO finding VALUES('printf', printf('%5.2f|%-4s|%03d|%%', 3.14159, 'ab', 7));
INSERT INTO finding VALUES('hex of text', hex('~^&'));
INSERT INTO finding VALUES('unicode', unicode('€'));
INSERT INTO finding VALUES('char', char(94, 126, 38, 59));
INSERT INTO finding VALUES('null', NULL);
INSERT INTO finding VALUES('comparisons', (1 <> 2) + (1 != 2) + (2 >= 2) + (NULL IS NULL) + (1 IS NOT 2));
INSERT INTO finding VALUES('between', 5 BETWEEN 1 AND 10);
INSERT INTO finding VALUES('escape like', '10%' LIKE '10^%' ESCAPE '^');
INSERT INTO finding VALUES('replace', replace('a;b;c', ';', '--'));
INSERT INTO finding VALUES('instr', instr('x--y', '--'));
INSERT INTO finding VALUES('case', CASE WHEN '^' < '~' THEN 'caret first' ELSE 'tilde first' END);
SELECT label, value, typeof(value) FROM finding ORDER BY label;
