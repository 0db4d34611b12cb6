-- Where statements begin and end when lines and comments do not line up with them.
CREATE TABLE note(id int PRIMARY KEY, body text, tag text);
INSERT INTO note VALUES (1, 'first', 'pair'); INSERT INTO note VALUES (2, 'second', 'pair');
INSERT INTO note VALUES (3, 'block note after', 'trail'); /* note: not part of it */
INSERT INTO note VALUES (4, 'dash note after', 'trail'); -- note; with a semicolon
INSERT INTO note VALUES (5, 'both kinds after', 'trail'); /* a */ -- b
INSERT INTO note
/* the values follow */
VALUES (6, 'block comment line inside', 'inside');
INSERT INTO note
-- the values follow; don't stop here
VALUES (7, 'dash comment line inside', 'inside');
INSERT INTO note (id,
                  -- the body, with 'quotes' and "double quotes"
                  body, tag)
  VALUES (8, 'column list with a comment', 'inside');
/* A comment holding a statement: INSERT INTO note VALUES (99, 'never', 'x'); */
-- INSERT INTO note VALUES (98, 'never', 'x');
/*
 Several lines;
 it's got an apostrophe, a "quote" and a ; semicolon
 INSERT INTO note VALUES (97, 'never', 'x');
*/
INSERT INTO note VALUES (9, 'inline comment', /* inline; */ 'inline');
INSERT INTO note VALUES (10, 'after -- in text', 'inline'); -- it's done
INSERT INTO note VALUES (11, 'star slash */ in text', 'text'), (12, '/* open in text', 'text');
INSERT INTO note VALUES (13,
  'statement goes on after an empty line',

  'blank');
/* comment */ INSERT INTO note VALUES (14, 'after a leading comment', 'lead');
INSERT INTO note VALUES (15, 'semicolon in a dash comment', 'end') -- ; not the end
;
INSERT INTO note VALUES (16, 'end on an indented line', 'end')
    ;
INSERT INTO note VALUES (17, 'end after a block comment', 'end') /* ; */;
INSERT INTO note VALUES (18, 'Tom & Jerry', 'amp'), (19, 'R&B/Soul', 'amp'), (20, '&&x', 'amp');
INSERT INTO note VALUES (21, 'a^b', 'sign'), (22, '~', 'sign'), (23, 'tab	inside', 'sign');
INSERT INTO note VALUES (24, 'slash line
/
inside', 'text');
/* {h1} A comment that looks like mark-up */
INSERT INTO note VALUES (25, '--', 'text') -- the last line of this statement
;
SELECT id, body
  -- a comment between clauses
  FROM note
 WHERE tag = 'inside'
 ORDER BY id;
-- meant to fail: a misspelt keyword
SELEC 1;
CREATE TABLE note_count AS
  SELECT tag, count(*) AS n, string_agg(id::text, ' ' ORDER BY id) AS ids
    FROM note GROUP BY tag ORDER BY tag;
