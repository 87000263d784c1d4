%%%データ操作 (DML)
【 SELECT 】行の検索
SELECT [ ALL | DISTINCT ] [ TOP ( 式 ) [ PERCENT ] [ WITH TIES ] ]
    選択リスト
[ INTO 新しいテーブル ]
[ FROM テーブルソース ]
[ WHERE 検索条件 ]
[ GROUP BY グループ化式 ]
[ HAVING 検索条件 ]
[ ORDER BY 並べ替え式 [ ASC | DESC ] ]
参照: <JOIN> <WHERE 句> <ORDER BY 句>

-- 例
SELECT name, object_id FROM sys.tables ORDER BY name;
【 WHERE 句 】検索条件
WHERE 検索条件
  比較: = <> != > >= < <=
  範囲: 式 [ NOT ] BETWEEN 開始 AND 終了
  一覧: 式 [ NOT ] IN ( 値 [ ,...n ] )
  パターン: 式 [ NOT ] LIKE N'パターン' [ ESCAPE N'文字' ]
  NULL: 式 IS [ NOT ] NULL
【 ORDER BY 句 】並べ替え
ORDER BY 式 [ ASC | DESC ] [ ,...n ]
[ OFFSET 行数 ROWS [ FETCH NEXT 行数 ROWS ONLY ] ]
【 INSERT 】行の追加
INSERT [ INTO ] テーブル名 [ ( 列リスト ) ]
    { VALUES ( 値リスト ) [ ,...n ] | <SELECT> | EXECUTE プロシージャ | DEFAULT VALUES }

-- 例
INSERT INTO dbo.Orders (OrderID, CustomerName) VALUES (1, N'山田');
【 UPDATE 】行の更新
UPDATE テーブル名
    SET 列名 = 式 [ ,...n ]
[ FROM テーブルソース ]
[ WHERE 検索条件 ]
参照: <WHERE 句>

-- 例
UPDATE dbo.Orders SET CustomerName = N'佐藤' WHERE OrderID = 1;
【 DELETE 】行の削除
DELETE [ TOP ( 式 ) [ PERCENT ] ] [ FROM ] テーブル名
[ FROM テーブルソース ]
[ WHERE 検索条件 ]
参照: <WHERE 句>

-- 例
DELETE FROM dbo.Orders WHERE OrderID = 1;
【 MERGE 】行の結合更新
MERGE [ INTO ] 対象テーブル [ AS 別名 ]
USING テーブルソース ON 結合条件
WHEN MATCHED THEN UPDATE SET 列名 = 式
WHEN NOT MATCHED [ BY TARGET ] THEN INSERT ( 列リスト ) VALUES ( 値リスト )
WHEN NOT MATCHED BY SOURCE THEN DELETE;
%%%結合
【 JOIN 】テーブルの結合
テーブル1 { [ INNER ] | { LEFT | RIGHT | FULL } [ OUTER ] } JOIN テーブル2
    ON 結合条件
テーブル1 CROSS JOIN テーブル2
テーブル1 { CROSS | OUTER } APPLY テーブル値関数
参照: <INNER JOIN> <OUTER JOIN>
【 INNER JOIN 】内部結合
-- 両方のテーブルに一致する行だけを返します。
SELECT o.OrderID, c.Name
FROM dbo.Orders AS o
INNER JOIN dbo.Customers AS c ON c.CustomerID = o.CustomerID;
【 OUTER JOIN 】外部結合
-- 一致しない側の列は NULL になります。
SELECT c.Name, o.OrderID
FROM dbo.Customers AS c
LEFT OUTER JOIN dbo.Orders AS o ON o.CustomerID = c.CustomerID;
%%%データ定義 (DDL)
【 CREATE TABLE 】テーブルの作成
CREATE TABLE [ スキーマ名. ] テーブル名
(
    列名 データ型 [ NULL | NOT NULL ] [ DEFAULT 既定値 ] [ IDENTITY ( 開始, 増分 ) ]
    [ ,...n ]
    [ , CONSTRAINT 制約名 PRIMARY KEY [ CLUSTERED | NONCLUSTERED ] ( 列リスト ) ]
)
[ ON ファイルグループ ]
参照: <制約>

-- 例
CREATE TABLE dbo.Orders
(
    OrderID int NOT NULL,
    CustomerName nvarchar(50) NULL,
    OrderDate datetime2 NOT NULL DEFAULT SYSDATETIME(),
    CONSTRAINT PK_Orders PRIMARY KEY CLUSTERED (OrderID)
);
【 制約 】テーブルの制約
CONSTRAINT 制約名
{ PRIMARY KEY | UNIQUE } [ CLUSTERED | NONCLUSTERED ] ( 列リスト )
| FOREIGN KEY ( 列リスト ) REFERENCES 参照テーブル ( 列リスト )
    [ ON DELETE { NO ACTION | CASCADE | SET NULL | SET DEFAULT } ]
    [ ON UPDATE { NO ACTION | CASCADE | SET NULL | SET DEFAULT } ]
| CHECK ( 検索条件 )
【 ALTER TABLE 】テーブルの変更
ALTER TABLE テーブル名
{ ADD 列定義 | ALTER COLUMN 列名 データ型 [ NULL | NOT NULL ]
| DROP COLUMN 列名 | ADD <制約> | DROP CONSTRAINT 制約名 }
【 CREATE INDEX 】インデックスの作成
CREATE [ UNIQUE ] [ CLUSTERED | NONCLUSTERED ] INDEX インデックス名
    ON テーブル名 ( 列名 [ ASC | DESC ] [ ,...n ] )
    [ INCLUDE ( 列リスト ) ]
    [ WHERE フィルター条件 ]
【 DROP TABLE 】テーブルの削除
DROP TABLE [ IF EXISTS ] テーブル名 [ ,...n ]
%%%関数
【 集計関数 】
COUNT ( { [ ALL | DISTINCT ] 式 | * } )
SUM ( [ ALL | DISTINCT ] 式 )
AVG ( [ ALL | DISTINCT ] 式 )
MIN ( 式 )  MAX ( 式 )
参照: <SELECT>
【 文字列関数 】
LEN ( 文字列 )            文字数 (末尾の空白を除く)
SUBSTRING ( 文字列, 開始, 長さ )
LEFT ( 文字列, 長さ )  RIGHT ( 文字列, 長さ )
CHARINDEX ( 検索文字列, 文字列 [, 開始位置 ] )
REPLACE ( 文字列, 検索文字列, 置換文字列 )
LTRIM ( 文字列 )  RTRIM ( 文字列 )  TRIM ( 文字列 )
UPPER ( 文字列 )  LOWER ( 文字列 )
CONCAT ( 文字列1, 文字列2 [, ...n ] )
【 日付関数 】
GETDATE ( )  SYSDATETIME ( )
DATEADD ( 日付部分, 数値, 日付 )
DATEDIFF ( 日付部分, 開始日, 終了日 )
DATEPART ( 日付部分, 日付 )
EOMONTH ( 日付 [, 加算月数 ] )
FORMAT ( 値, N'yyyy/MM/dd' )
【 変換関数 】
CAST ( 式 AS データ型 [ ( 長さ ) ] )
CONVERT ( データ型 [ ( 長さ ) ], 式 [, スタイル ] )
TRY_CAST ( 式 AS データ型 )  TRY_CONVERT ( データ型, 式 )
ISNULL ( 式, 置換値 )  COALESCE ( 式 [ ,...n ] )
