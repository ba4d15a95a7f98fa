-- An update made as the program makes its own files: a case-insensitive column and a
-- write-ahead log, checkpointed when the tool closes.
PRAGMA page_size=512;
PRAGMA journal_mode=WAL;
CREATE TABLE tblKeywords (Keyword TEXT COLLATE NOCASE, Description TEXT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
INSERT INTO tblKeywords SELECT 'Keyword ' || i, 'Meaning number ' || i FROM n;
