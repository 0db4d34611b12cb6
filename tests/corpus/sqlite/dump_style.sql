-- The shape the shell's dump writes, with literals that hold a script's special characters.
PRAGMA foreign_keys=OFF;
BEGIN TRANSACTION;
CREATE TABLE artist(id INTEGER PRIMARY KEY, name TEXT NOT NULL, genre TEXT);
INSERT INTO artist VALUES(1,'Tom & Jerry','R&B/Soul');
INSERT INTO artist VALUES(2,'a^b','up^^down^');
INSERT INTO artist VALUES(3,'~tilde~','~');
INSERT INTO artist VALUES(4,'semi;colon','a;b;c;');
INSERT INTO artist VALUES(5,'dash--dash','-- not a comment');
INSERT INTO artist VALUES(6,'O''Brien','it''s ''quoted''');
INSERT INTO artist VALUES(7,'tab	inside','	leading tab');
INSERT INTO artist VALUES(8,'two
lines','line one
line two;
line three -- still text');
INSERT INTO artist VALUES(9,'odd '' quote
over '' three
'' lines','''');
INSERT INTO artist VALUES(10,'/* not a comment */','*/ closes nothing /*');
INSERT INTO artist VALUES(11,'see &name','&&twice over');
INSERT INTO artist VALUES(12,replace('new\nline','\n',char(10)),replace('cr\r','\r',char(13)));
INSERT INTO artist VALUES(13,'','');
INSERT INTO artist VALUES(14,'null genre',NULL);
CREATE TABLE track(id INTEGER PRIMARY KEY, artist_id INTEGER REFERENCES artist(id), title TEXT, seconds INTEGER, price REAL, cover BLOB);
INSERT INTO track VALUES(1,1,'Cat;Mouse',215,0.98999999999999999111,X'414243');
INSERT INTO track VALUES(2,3,'~5',180,1234567.890625,NULL);
INSERT INTO track VALUES(3,99,'orphan: foreign keys are off',60,-0.5,X'00ff0a3b');
INSERT INTO track VALUES(4,8,'multi

line with an empty line',1,1.0e+100,X'');
INSERT INTO track VALUES(5,2,'-- whole line looks like a comment',-2147483648,-0.0,X'2d2d');
CREATE TABLE play_log(id INTEGER PRIMARY KEY AUTOINCREMENT, track_id INTEGER, note TEXT);
INSERT INTO play_log VALUES(1,1,'first; play');
INSERT INTO play_log VALUES(7,2,'seventh');
DELETE FROM sqlite_sequence;
INSERT INTO sqlite_sequence VALUES('play_log',40);
CREATE INDEX track_artist ON track(artist_id);
CREATE UNIQUE INDEX artist_name ON artist(name);
CREATE TRIGGER track_changed AFTER UPDATE OF seconds ON track
BEGIN
  INSERT INTO play_log(track_id, note) VALUES(new.id, 'seconds: ' || old.seconds || ' -> ' || new.seconds);
  UPDATE artist SET genre = genre || ';' WHERE id = new.artist_id;
END;
CREATE VIEW artist_tracks AS SELECT a.name, t.title FROM artist a JOIN track t ON t.artist_id = a.id;
COMMIT;
-- After the dump: the trigger fires (play_log gets id 41), the view's rows are kept.
UPDATE track SET seconds = seconds + 1 WHERE id = 1;
CREATE TABLE artist_tracks_copy AS SELECT * FROM artist_tracks ORDER BY name, title;
