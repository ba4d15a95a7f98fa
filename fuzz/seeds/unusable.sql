-- Files that must be refused: a view named tblKeywords that never ends, beside a generated
-- column and a trigger in another table.
PRAGMA page_size=512;
CREATE TABLE words (n INTEGER, Keyword AS ('k' || n), Description TEXT);
INSERT INTO words (n, Description) VALUES (1, 'one'), (2, 'two');
CREATE TRIGGER noisy AFTER INSERT ON words BEGIN DELETE FROM words; END;
CREATE VIEW tblKeywords AS WITH RECURSIVE r(Keyword, Description) AS
  (SELECT 'a', 'b' UNION ALL SELECT Keyword || 'a', Description FROM r) SELECT * FROM r;
