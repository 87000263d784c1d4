select DATABASEPROPERTYEX(name, N'collation')   from master.dbo.sysdatabases where name = :NAME
--
use Sales
select  fileid
     ,  filegroup_name(groupid) group_name
     ,  size
     ,  maxsize
     ,  growth
     ,  case
          when status <= 100000 then
            1
          else
            2
        end    persentgrowth
     ,  name
     ,  filename
     ,  fileproperty(name, 'IsLogFile') filekind
  from  sysfiles
--
select  gp.groupid
     ,  gp.groupname
     ,  filegroupproperty(filegroup_name(gp.groupid), 'IsDefault') def
     ,  filegroupproperty(filegroup_name(gp.groupid), 'IsReadOnly') readonly
     ,  fl.cnt
  from  sysfilegroups gp
        left outer join (select  groupid
                              ,  count(*) cnt
                           from  sysfiles
                          group by groupid) fl
          on  gp.groupid = fl.groupid
--
SELECT  CAST(dtb.status & 1 AS bit) AS [AutoClose],
        CAST(dtb.status & 4194304 AS bit) AS [AutoShrink],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsFulltextEnabled') AS bit) AS [FulltextIndex],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAnsiNullDefault') AS bit) AS [AnsiNullDefault],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAnsiNullsEnabled') AS bit) AS [AnsiNullsEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAnsiPaddingEnabled') AS bit) AS [AnsiPaddingEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAnsiWarningsEnabled') AS bit) AS [AnsiWarningsEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsArithmeticAbortEnabled') AS bit) AS [ArithmeticAbortEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAutoCreateStatistics') AS bit) AS [AutoCreateStatistics],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsAutoUpdateStatistics') AS bit) AS [AutoUpdateStatistics],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsCloseCursorsOnCommitEnabled') AS bit) AS [CloseCursorsOnCommitEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsNullConcat') AS bit) AS [ConcatenateNullYieldsNull],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsNumericRoundAbortEnabled') AS bit) AS [NumericRoundAbortEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsQuotedIdentifiersEnabled') AS bit) AS [QuotedIdentifiersEnabled],
        CAST(DATABASEPROPERTY(dtb.name, 'IsReadOnly') AS bit) AS [ReadOnly],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsRecursiveTriggersEnabled') AS bit) AS [RecursiveTriggersEnabled],
        CAST(DATABASEPROPERTYEX(dtb.name, 'IsLocalCursorsDefault') AS bit) AS [LocalCursorsDefault],
        CASE WHEN 1=DATABASEPROPERTYEX(dtb.name, 'IsTornPageDetectionEnabled') THEN 1 ELSE 0 END AS [PageVerify],
        CASE DATABASEPROPERTYEX(dtb.name, 'Recovery') WHEN 'SIMPLE' THEN 3 WHEN 'BULK_LOGGED' THEN 2 ELSE /*FULL*/ 1 END AS [RecoveryModel],
        CASE CONVERT(sysname,DATABASEPROPERTYEX(dtb.name, 'UserAccess')) WHEN 'SINGLE_USER' THEN 1 WHEN 'RESTRICTED_USER' THEN 2 ELSE /*MULTI_USER*/ 0 END AS [UserAccess],
        [cmptlevel]
  FROM  master.dbo.sysdatabases AS dtb
 WHERE  dtb.name = :dbname
