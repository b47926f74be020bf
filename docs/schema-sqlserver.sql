-- The host tables Velmora's reference host reads and writes, for SQL Server,
-- with the two demo users (password "demo" for both):
--   demo     the context edition's user; PassWord holds the reference host's
--            encoding (SHA-256 of the password's GBK bytes, upper-case hex)
--   md5demo  the automation edition's user; PassWord holds the MD5 digest of
--            the trimmed password (lower-case hex)
-- Texts are NVARCHAR: the host sends and reads them as UTF-16 through ODBC.
-- Run with: sqlcmd -d DATABASE -i schema-sqlserver.sql
CREATE TABLE P_User (
  UserCode NVARCHAR(64) NOT NULL PRIMARY KEY,
  UserName NVARCHAR(128) NOT NULL DEFAULT N'',
  PassWord NVARCHAR(128) NULL
);
GO

CREATE TABLE P_FunRight (
  UserCode NVARCHAR(64) NOT NULL REFERENCES P_User (UserCode),
  ModFunTyp INT NOT NULL,
  ModFunID INT NOT NULL
);
GO

INSERT INTO P_User (UserCode, UserName, PassWord) VALUES
  (N'demo', N'演示用户', N'2A97516C354B68848CDBD8F54A226A0A55B21ED138E207AD6C5CBB9C00AA5AEA'),
  (N'md5demo', N'演示用户（摘要）', N'fe01ce2a7fbac8fafaed7c982a04e229');

INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES
  (N'demo', 3, 101),
  (N'demo', 3, 102),
  (N'demo', 1, 103);
GO
