select collation_name from sys.databases where name = :NAME
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
select  is_auto_close_on as [AutoClose],
        is_auto_shrink_on as [AutoShrink],
        is_fulltext_enabled as [FulltextIndex],
        is_ansi_null_default_on as [AnsiNullDefault],
        is_ansi_nulls_on as [AnsiNullsEnabled],
        is_ansi_padding_on as [AnsiPaddingEnabled],
        is_ansi_warnings_on as [AnsiWarningsEnabled],
        is_arithabort_on as [ArithmeticAbortEnabled],
        is_auto_create_stats_on as [AutoCreateStatistics],
        is_auto_update_stats_on as [AutoUpdateStatistics],
        is_cursor_close_on_commit_on as [CloseCursorsOnCommitEnabled],
        is_concat_null_yields_null_on as [ConcatenateNullYieldsNull],
        is_numeric_roundabort_on as [NumericRoundAbortEnabled],
        is_quoted_identifier_on as [QuotedIdentifiersEnabled],
        is_read_only as [ReadOnly],
        is_recursive_triggers_on as [RecursiveTriggersEnabled],
        is_local_cursor_default as [LocalCursorsDefault],
        case when page_verify_option = 1 then 1 else 0 end as [PageVerify],
        recovery_model as [RecoveryModel],
        user_access as [UserAccess],
        compatibility_level as [cmptlevel]
  from  sys.databases
 where  name = :dbname
