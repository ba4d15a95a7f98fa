-- Other forms a valid update takes: names in other case, further columns, no rowid, an index,
-- and meanings long enough to need overflow pages.
PRAGMA page_size=512;
CREATE TABLE TBLKEYWORDS (KEYWORD TEXT PRIMARY KEY, id INTEGER, DESCRIPTION, Extra BLOB)
  WITHOUT ROWID;
CREATE INDEX byId ON TBLKEYWORDS (id);
INSERT INTO TBLKEYWORDS VALUES ('Heron', 1, printf('%.2000c', 'p'), x'00ff'),
  ('Owl', 2, 'Wisdom', NULL), ('Moth', 3, printf('%.700c', 'a'), zeroblob(10));
