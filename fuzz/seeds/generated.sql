-- A table whose columns are computed when read.
PRAGMA page_size=512;
CREATE TABLE tblKeywords (n INTEGER, Keyword AS (printf('Word %d', n)),
  Description AS (upper(printf('meaning %d', n))) STORED);
INSERT INTO tblKeywords (n) VALUES (1), (2), (3);
