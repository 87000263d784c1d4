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
SELECT 
       '' AS [ServiceBroker], case dtb.is_broker_enabled when '0' then 'OFF' else 'ON' end AS [BrokerEnabled], case dtb.is_honor_broker_priority_on when '0' then 'OFF' else 'ON' end AS [HonorBrokerPriority], dtb.service_broker_guid AS [ServiceBrokerGuid],
       '' AS [カーソル], case dtb.is_cursor_close_on_commit_on when '0' then 'OFF' else 'ON' end AS [CursorCloseOnCommit], case dtb.is_local_cursor_default when '0' then 'GLOBAL' else 'LOCAL' end AS [LocalCursorDefault],
       '' AS [その他], case dtb.is_ansi_null_default_on when '0' then 'OFF' else 'ON' end AS [AnsiNullDefault], case dtb.is_ansi_nulls_on when '0' then 'OFF' else 'ON' end AS [AnsiNulls], case dtb.is_ansi_padding_on when '0' then 'OFF' else 'ON' end AS [AnsiPadding], case dtb.is_ansi_warnings_on when '0' then 'OFF' else 'ON' end AS [AnsiWarnings],
       case dtb.is_concat_null_yields_null_on when '0' then 'OFF' else 'ON' end AS [ConcatNullYieldsNull],
       case dtb.is_parameterization_forced when '0' then 'SIMPLE' else 'FORCED' end AS [ParameterizationForced], case dtb.is_quoted_identifier_on when '0' then 'OFF' else 'ON' end AS [QuotedIdentifiersEnabled], case dtb.is_recursive_triggers_on when '0' then 'OFF' else 'ON' end AS [RecursiveTriggersEnabled], case dtb.is_arithabort_on when '0' then 'OFF' else 'ON' end AS [Arithabort], case dtb.is_trustworthy_on when '0' then 'OFF' else 'ON' end AS [Trustworthy], case dtb.is_numeric_roundabort_on when '0' then 'OFF' else 'ON' end AS [NumericRoundabort], case dtb.is_date_correlation_on when '0' then 'OFF' else 'ON' end AS [DateCorrelation], case dtb.is_db_chaining_on when '0' then 'OFF' else 'ON' end AS [DbChaining],
       '' AS [自動], case dtb.is_auto_shrink_on when '0' then 'OFF' else 'ON' end AS [AutoShrink], case dtb.is_auto_close_on when '0' then 'OFF' else 'ON' end AS [AutoClose], case dtb.is_auto_update_stats_on when '0' then 'OFF' else 'ON' end AS [AutoUpdateStatistics], case dtb.is_auto_create_stats_on when '0' then 'OFF' else 'ON' end AS [AutoCreateStatistics], case dtb.is_auto_update_stats_async_on when '0' then 'OFF' else 'ON' end AS [AutoUpdateStatsAsync], '' AS [状態], case dtb.user_access when '0' then 'MULTI_USER' when '1' then 'SINGLE_USER' else 'RESTRICTED_USER' end AS [UserAccess], dtb.state_desc AS [StateDesc],
       case dtb.is_encrypted when '0' then 'OFF' else 'ON' end AS [Encrypted],
       case dtb.is_read_only when '0' then 'READ_WRITE' else 'READ_ONLY' end AS [ReadOnly], '' AS [復旧],
       case dtb.page_verify_option when '0' then 'NONE' when '1' then 'TORN_PAGE_DETECTION' else 'CHECKSUM' end AS [PageVerify],
       case dtb.is_fulltext_enabled when '0' then 'OFF' else 'ON' end AS [FulltextIndex], dtb.recovery_model AS [RecoveryModel], dtb.compatibility_level AS [cmptlevel]
FROM  master.sys.databases AS dtb
WHERE dtb.name = :dbname
