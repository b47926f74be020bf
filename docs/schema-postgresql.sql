-- The host tables Velmora's reference host reads and writes, for PostgreSQL,
-- with the two demo users (password "demo" for both):
--   demo     the context edition's user; PassWord holds the reference host's
--            encoding (SHA-256 of the password's GBK bytes, upper-case hex)
--   md5demo  the automation edition's user; PassWord holds the MD5 digest of
--            the trimmed password (lower-case hex)
-- Names are unquoted, so the server keeps them in lower case (p_user,
-- password); the host and the editions write them unquoted as well.
-- Run with: psql -d DATABASE -f schema-postgresql.sql
CREATE TABLE P_User (
  UserCode VARCHAR(64) PRIMARY KEY,
  UserName VARCHAR(128) NOT NULL DEFAULT '',
  PassWord VARCHAR(128)
);

CREATE TABLE P_FunRight (
  UserCode VARCHAR(64) NOT NULL REFERENCES P_User (UserCode),
  ModFunTyp INTEGER NOT NULL,
  ModFunID INTEGER NOT NULL
);

INSERT INTO P_User (UserCode, UserName, PassWord) VALUES
  ('demo', '演示用户', '2A97516C354B68848CDBD8F54A226A0A55B21ED138E207AD6C5CBB9C00AA5AEA'),
  ('md5demo', '演示用户（摘要）', 'fe01ce2a7fbac8fafaed7c982a04e229');

INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES
  ('demo', 3, 101),
  ('demo', 3, 102),
  ('demo', 1, 103);
