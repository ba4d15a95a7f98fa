-- An update made with the stock sqlite3 tool: plain columns, a rollback journal, and the rows
-- users get wrong: untrimmed, empty and NULL keywords and meanings, quotes, other scripts.
PRAGMA page_size=512;
CREATE TABLE tblKeywords (Keyword TEXT, Description TEXT);
INSERT INTO tblKeywords VALUES
  ('Zebra', 'Stripes'), (' Dog ', 'Loyalty'), ('dog', 'Again'), ('', 'No keyword'),
  (NULL, 'Null keyword'), ('Lark', NULL), ('Snake', ''), ('Brien', '   '),
  ('O''Brien', 'Luck'), ('Ärger', 'Anger'), ('ΣΟΦΙΑ', 'Wisdom'), ('夢', 'Dream'), (42, 7);
