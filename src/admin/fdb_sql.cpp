#include "admin/fdb_sql.h"

#include "core/zksub_text.h"

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QString onOff(const char *column, const char *alias)
{
    return QStringLiteral("case dtb.%1 when '0' then 'OFF' else 'ON' end AS [%2]")
        .arg(QLatin1String(column), QLatin1String(alias));
}

QString heading(const QString &alias)
{
    return QStringLiteral("'' AS [%1]").arg(alias);
}

// One block of the option query: the first version that has it and its items.
struct OptionBlock
{
    int fromVersion; // 0: always
    QStringList items;
};

QList<OptionBlock> optionBlocks()
{
    return {
        {11,
         {heading(QStringLiteral("FileStream")), QStringLiteral("dfo.directory_name AS [DirectoryName]"),
          QStringLiteral("dfo.non_transacted_access_desc AS [NonTransactedAccess]")}},
        {10,
         {heading(QStringLiteral("ServiceBroker")), onOff("is_broker_enabled", "BrokerEnabled"),
          onOff("is_honor_broker_priority_on", "HonorBrokerPriority"),
          QStringLiteral("dtb.service_broker_guid AS [ServiceBrokerGuid]")}},
        {9,
         {heading(QStringLiteral("カーソル")), onOff("is_cursor_close_on_commit_on", "CursorCloseOnCommit"),
          QStringLiteral("case dtb.is_local_cursor_default when '0' then 'GLOBAL' else 'LOCAL' end AS "
                         "[LocalCursorDefault]")}},
        {11,
         {heading(QStringLiteral("コンテインメント")),
          QStringLiteral("case dtb.containment when '0' then '0' else '1' end AS [Containment]"),
          QStringLiteral("dtb.two_digit_year_cutoff AS [TwoDigitYearCutoff]"),
          onOff("is_transform_noise_words_on", "TransformNoiseWords"),
          QStringLiteral("dtb.default_fulltext_language_lcid AS [DefaultFulltextLanguageLcid]"),
          QStringLiteral("dtb.default_language_lcid AS [DefaultLanguageLcid]"),
          onOff("is_nested_triggers_on", "NestedTriggers")}},
        {9,
         {heading(QStringLiteral("その他")), onOff("is_ansi_null_default_on", "AnsiNullDefault"),
          onOff("is_ansi_nulls_on", "AnsiNulls"), onOff("is_ansi_padding_on", "AnsiPadding"),
          onOff("is_ansi_warnings_on", "AnsiWarnings")}},
        {11, {onOff("snapshot_isolation_state", "SnapshotIsolationState")}},
        {9, {onOff("is_concat_null_yields_null_on", "ConcatNullYieldsNull")}},
        {11, {onOff("is_read_committed_snapshot_on", "ReadCommittedSnapshot")}},
        {9,
         {QStringLiteral("case dtb.is_parameterization_forced when '0' then 'SIMPLE' else 'FORCED' end AS "
                         "[ParameterizationForced]"),
          onOff("is_quoted_identifier_on", "QuotedIdentifiersEnabled"),
          onOff("is_recursive_triggers_on", "RecursiveTriggersEnabled"), onOff("is_arithabort_on", "Arithabort"),
          onOff("is_trustworthy_on", "Trustworthy"), onOff("is_numeric_roundabort_on", "NumericRoundabort"),
          onOff("is_date_correlation_on", "DateCorrelation"), onOff("is_db_chaining_on", "DbChaining")}},
        {9,
         {heading(QStringLiteral("自動")), onOff("is_auto_shrink_on", "AutoShrink"),
          onOff("is_auto_close_on", "AutoClose"), onOff("is_auto_update_stats_on", "AutoUpdateStatistics"),
          onOff("is_auto_create_stats_on", "AutoCreateStatistics"),
          onOff("is_auto_update_stats_async_on", "AutoUpdateStatsAsync"), heading(QStringLiteral("状態")),
          QStringLiteral("case dtb.user_access when '0' then 'MULTI_USER' when '1' then 'SINGLE_USER' else "
                         "'RESTRICTED_USER' end AS [UserAccess]"),
          QStringLiteral("dtb.state_desc AS [StateDesc]")}},
        {10, {onOff("is_encrypted", "Encrypted")}},
        {9,
         {QStringLiteral("case dtb.is_read_only when '0' then 'READ_WRITE' else 'READ_ONLY' end AS [ReadOnly]"),
          heading(QStringLiteral("復旧"))}},
        {9,
         {QStringLiteral("case dtb.page_verify_option when '0' then 'NONE' when '1' then 'TORN_PAGE_DETECTION' "
                         "else 'CHECKSUM' end AS [PageVerify]")}},
        {11, {QStringLiteral("dtb.target_recovery_time_in_seconds  AS [TargetRecoveryTimeInSeconds]")}},
        {9,
         {onOff("is_fulltext_enabled", "FulltextIndex"), QStringLiteral("dtb.recovery_model AS [RecoveryModel]"),
          QStringLiteral("dtb.compatibility_level AS [cmptlevel]")}},
    };
}

QString optionQuery(int dbVer)
{
    QStringList lines{QStringLiteral("SELECT ")};
    for (const OptionBlock &b : optionBlocks()) {
        if (dbVer < b.fromVersion)
            continue;
        lines << QStringLiteral("       ") + b.items.join(QStringLiteral(", ")) + QLatin1Char(',');
    }
    // The select list ends with the compatibility level.
    lines.last().chop(1);
    lines << QStringLiteral("FROM  master.sys.databases AS dtb");
    if (dbVer >= 11)
        lines << QStringLiteral("LEFT OUTER JOIN sys.database_filestream_options dfo ON dfo.database_id = "
                                "dtb.database_id");
    lines << QStringLiteral("WHERE dtb.name = :dbname");
    return lines.join(kCRLF);
}

QString optionQuery8()
{
    QStringList items{QStringLiteral("CAST(dtb.status & 1 AS bit) AS [AutoClose]"),
                      QStringLiteral("CAST(dtb.status & 4194304 AS bit) AS [AutoShrink]")};
    auto ex = [](const char *property, const char *alias) {
        return QStringLiteral("CAST(DATABASEPROPERTYEX(dtb.name, '%1') AS bit) AS [%2]")
            .arg(QLatin1String(property), QLatin1String(alias));
    };
    const char *pairs[][2] = {{"IsFulltextEnabled", "FulltextIndex"},
                              {"IsAnsiNullDefault", "AnsiNullDefault"},
                              {"IsAnsiNullsEnabled", "AnsiNullsEnabled"},
                              {"IsAnsiPaddingEnabled", "AnsiPaddingEnabled"},
                              {"IsAnsiWarningsEnabled", "AnsiWarningsEnabled"},
                              {"IsArithmeticAbortEnabled", "ArithmeticAbortEnabled"},
                              {"IsAutoCreateStatistics", "AutoCreateStatistics"},
                              {"IsAutoUpdateStatistics", "AutoUpdateStatistics"},
                              {"IsCloseCursorsOnCommitEnabled", "CloseCursorsOnCommitEnabled"},
                              {"IsNullConcat", "ConcatenateNullYieldsNull"},
                              {"IsNumericRoundAbortEnabled", "NumericRoundAbortEnabled"},
                              {"IsQuotedIdentifiersEnabled", "QuotedIdentifiersEnabled"}};
    for (const auto &p : pairs)
        items << ex(p[0], p[1]);
    items << QStringLiteral("CAST(DATABASEPROPERTY(dtb.name, 'IsReadOnly') AS bit) AS [ReadOnly]")
          << ex("IsRecursiveTriggersEnabled", "RecursiveTriggersEnabled")
          << ex("IsLocalCursorsDefault", "LocalCursorsDefault")
          << QStringLiteral("CASE WHEN 1=DATABASEPROPERTYEX(dtb.name, 'IsTornPageDetectionEnabled') THEN 1 ELSE 0 "
                            "END AS [PageVerify]")
          << QStringLiteral("CASE DATABASEPROPERTYEX(dtb.name, 'Recovery') WHEN 'SIMPLE' THEN 3 WHEN 'BULK_LOGGED' "
                            "THEN 2 ELSE /*FULL*/ 1 END AS [RecoveryModel]")
          << QStringLiteral("CASE CONVERT(sysname,DATABASEPROPERTYEX(dtb.name, 'UserAccess')) WHEN 'SINGLE_USER' "
                            "THEN 1 WHEN 'RESTRICTED_USER' THEN 2 ELSE /*MULTI_USER*/ 0 END AS [UserAccess]")
          << QStringLiteral("[cmptlevel]");
    return QStringLiteral("SELECT  ") + items.join(QStringLiteral(",") + kCRLF + QStringLiteral("        ")) + kCRLF
           + QStringLiteral("  FROM  master.dbo.sysdatabases AS dtb") + kCRLF
           + QStringLiteral(" WHERE  dtb.name = :dbname");
}

QString optionQueryAzure()
{
    const QStringList items{QStringLiteral("is_auto_close_on as [AutoClose]"),
                            QStringLiteral("is_auto_shrink_on as [AutoShrink]"),
                            QStringLiteral("is_fulltext_enabled as [FulltextIndex]"),
                            QStringLiteral("is_ansi_null_default_on as [AnsiNullDefault]"),
                            QStringLiteral("is_ansi_nulls_on as [AnsiNullsEnabled]"),
                            QStringLiteral("is_ansi_padding_on as [AnsiPaddingEnabled]"),
                            QStringLiteral("is_ansi_warnings_on as [AnsiWarningsEnabled]"),
                            QStringLiteral("is_arithabort_on as [ArithmeticAbortEnabled]"),
                            QStringLiteral("is_auto_create_stats_on as [AutoCreateStatistics]"),
                            QStringLiteral("is_auto_update_stats_on as [AutoUpdateStatistics]"),
                            QStringLiteral("is_cursor_close_on_commit_on as [CloseCursorsOnCommitEnabled]"),
                            QStringLiteral("is_concat_null_yields_null_on as [ConcatenateNullYieldsNull]"),
                            QStringLiteral("is_numeric_roundabort_on as [NumericRoundAbortEnabled]"),
                            QStringLiteral("is_quoted_identifier_on as [QuotedIdentifiersEnabled]"),
                            QStringLiteral("is_read_only as [ReadOnly]"),
                            QStringLiteral("is_recursive_triggers_on as [RecursiveTriggersEnabled]"),
                            QStringLiteral("is_local_cursor_default as [LocalCursorsDefault]"),
                            QStringLiteral("case when page_verify_option = 1 then 1 else 0 end as [PageVerify]"),
                            QStringLiteral("recovery_model as [RecoveryModel]"),
                            QStringLiteral("user_access as [UserAccess]"),
                            QStringLiteral("compatibility_level as [cmptlevel]")};
    return QStringLiteral("select  ") + items.join(QStringLiteral(",") + kCRLF + QStringLiteral("        ")) + kCRLF
           + QStringLiteral("  from  sys.databases") + kCRLF + QStringLiteral(" where  name = :dbname");
}

} // namespace

QString DbWindowCaption(const QString &owner, const QString &name, const QString &server, const QString &database)
{
    return QStringLiteral("データベース - ") + owner + QLatin1Char('.') + name + QStringLiteral(" @ ") + server
           + QLatin1Char('.') + database;
}

TDbQueryTexts DbQueryTexts(int dbVer, bool isAzure, const QString &useLine)
{
    TDbQueryTexts t;
    t.Syogo = isAzure ? QStringLiteral("select collation_name from sys.databases where name = :NAME")
                      : QStringLiteral("select DATABASEPROPERTYEX(name, N'collation')   from master.dbo.sysdatabases "
                                       "where name = :NAME");
    t.DataFile = useLine
                 + QStringList{QStringLiteral("select  fileid"),
                               QStringLiteral("     ,  filegroup_name(groupid) group_name"),
                               QStringLiteral("     ,  size"),
                               QStringLiteral("     ,  maxsize"),
                               QStringLiteral("     ,  growth"),
                               QStringLiteral("     ,  case"),
                               QStringLiteral("          when status <= 100000 then"),
                               QStringLiteral("            1"),
                               QStringLiteral("          else"),
                               QStringLiteral("            2"),
                               QStringLiteral("        end    persentgrowth"),
                               QStringLiteral("     ,  name"),
                               QStringLiteral("     ,  filename"),
                               QStringLiteral("     ,  fileproperty(name, 'IsLogFile') filekind"),
                               QStringLiteral("  from  sysfiles")}
                       .join(kCRLF);
    t.FileGroup = QStringList{QStringLiteral("select  gp.groupid"),
                              QStringLiteral("     ,  gp.groupname"),
                              QStringLiteral("     ,  filegroupproperty(filegroup_name(gp.groupid), 'IsDefault') def"),
                              QStringLiteral("     ,  filegroupproperty(filegroup_name(gp.groupid), 'IsReadOnly') "
                                             "readonly"),
                              QStringLiteral("     ,  fl.cnt"),
                              QStringLiteral("  from  sysfilegroups gp"),
                              QStringLiteral("        left outer join (select  groupid"),
                              QStringLiteral("                              ,  count(*) cnt"),
                              QStringLiteral("                           from  sysfiles"),
                              QStringLiteral("                          group by groupid) fl"),
                              QStringLiteral("          on  gp.groupid = fl.groupid")}
                      .join(kCRLF);
    if (isAzure)
        t.Option = optionQueryAzure();
    else if (dbVer <= 8)
        t.Option = optionQuery8();
    else
        t.Option = optionQuery(dbVer);
    return t;
}

QString DbRootDirQuery()
{
    return QStringList{QStringLiteral("declare @SmoRoot nvarchar(512)"),
                       QStringLiteral("exec master.dbo.xp_instance_regread N'HKEY_LOCAL_MACHINE', "
                                      "N'SOFTWARE\\Microsoft\\MSSQLServer\\Setup', N'SQLPath', @SmoRoot OUTPUT"),
                       QStringLiteral("select @SmoRoot")}
        .join(kCRLF);
}

QStringList CompatibilityEntries(int serverVersion, int *selected)
{
    static const QStringList all{QStringLiteral("SQL Server 7.0 (70)"),   QStringLiteral("SQL Server 2000 (80)"),
                                 QStringLiteral("SQL Server 2005 (90)"),  QStringLiteral("SQL Server 2008 (100)"),
                                 QStringLiteral("SQL Server 2012 (110)"), QStringLiteral("SQL Server 2014 (120)"),
                                 QStringLiteral("SQL Server 2016 (130)"), QStringLiteral("SQL Server 2017 (140)"),
                                 QStringLiteral("SQL Server 2019 (150)")};
    // Versions 9 to 12 list their own level and the two before it; 13 to
    // 15 keep the three of 12 and add their own levels.
    QStringList entries;
    if (serverVersion >= 9 && serverVersion <= 12)
        entries = all.mid(serverVersion - 9, 3);
    else if (serverVersion >= 13 && serverVersion <= 15)
        entries = all.mid(3, serverVersion - 12 + 3);
    else
        entries = all;
    if (selected)
        *selected = int(entries.size()) - 1;
    return entries;
}

QStringList AzureCompatibilityEntries()
{
    return CompatibilityEntries(99).mid(3);
}

int CompatibilityIndex(int dbVer, int level)
{
    QList<int> levels;
    switch (dbVer) {
    case 9: levels = {80, 90}; break;
    case 10: levels = {90, 100}; break;
    case 11: levels = {100, 110}; break;
    case 12: levels = {110, 120}; break;
    case 13: levels = {110, 120, 130}; break;
    case 14: levels = {110, 120, 130, 140}; break;
    case 15: levels = {110, 120, 130, 140, 150}; break;
    default: levels = {80, 90, 100, 110, 120, 130, 140, 150}; break;
    }
    const qsizetype i = levels.indexOf(level);
    return i < 0 ? 0 : int(i) + 1;
}

QString DefaultDataFolder(const QString &rootDir)
{
    if (rootDir.isEmpty())
        return QString();
    const QChar sep = rootDir.contains(QLatin1Char('/')) && !rootDir.contains(QLatin1Char('\\')) ? QLatin1Char('/')
                                                                                                 : QLatin1Char('\\');
    QString folder = rootDir;
    if (!folder.endsWith(sep))
        folder += sep;
    return folder + QStringLiteral("DATA") + sep;
}

void SplitServerPath(const QString &fileName, QString &folder, QString &name)
{
    const qsizetype cut = std::max(fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char('/')));
    folder = fileName.left(cut + 1);
    name = fileName.mid(cut + 1).trimmed();
}

const QList<TDbOptionRow> &DbOptionRows()
{
    const QStringList onOff{QStringLiteral("ON"), QStringLiteral("OFF")};
    static const QList<TDbOptionRow> rows{
        {"■File Stream", 11, "FileStream", "", oeReadOnly, {}, false, ocNone, ""},
        {"FILESTREAM ディレクトリ名",
         11,
         "DirectoryName",
         "",
         oeText,
         {},
         false,
         ocQuoted,
         " SET FILESTREAM( DIRECTORY_NAME = %1)"},
        {"FILESTREAM 非トランザクションアクセス",
         11,
         "NonTransactedAccess",
         "OFF",
         oePickList,
         {QStringLiteral("OFF"), QStringLiteral("READ_ONLY"), QStringLiteral("FULL")},
         false,
         ocFormat,
         " SET FILESTREAM( NON_TRANSACTED_ACCESS = %1)"},
        {"■Service Broker", 10, "ServiceBroker", "", oeReadOnly, {}, false, ocNone, ""},
        {"Brokerが有効", 10, "BrokerEnabled", "OFF", oePickList, onOff, false, ocBroker, ""},
        {"Brokerの優先度の許可", 10, "HonorBrokerPriority", "OFF", oePickList, onOff, false, ocFormat,
         " SET HONOR_BROKER_PRIORITY %1"},
        {"Service Broker識別子",
         10,
         "ServiceBrokerGuid",
         "00000000-0000-0000-0000-000000000000",
         oeReadOnly,
         {},
         false,
         ocNone,
         ""},
        {"■カーソル", 9, "カーソル", "", oeReadOnly, {}, false, ocNone, ""},
        {"コミットでカーソルを閉じる", 9, "CursorCloseOnCommit", "OFF", oePickList, onOff, false, ocFormat,
         " SET CURSOR_CLOSE_ON_COMMIT %1"},
        {"既定のカーソル",
         9,
         "LocalCursorDefault",
         "GLOBAL",
         oePickList,
         {QStringLiteral("LOCAL"), QStringLiteral("GLOBAL")},
         false,
         ocFormat,
         " SET CURSOR_DEFAULT %1"},
        {"■コンテインメント", 11, "コンテインメント", "", oeReadOnly, {}, false, ocNone, ""},
        {"2桁表記の年の基準になる年",
         11,
         "TwoDigitYearCutoff",
         "2049",
         oeText,
         {},
         true,
         ocFormat,
         " SET TWO_DIGIT_YEAR_CUTOFF = %1"},
        {"ノイズワード変換", 11, "TransformNoiseWords", "OFF", oePickList, onOff, true, ocFormat,
         " SET TRANSFORM_NOISE_WORDS = %1"},
        {"既定のフルテキスト言語のLCID",
         11,
         "DefaultFulltextLanguageLcid",
         "1041",
         oeText,
         {},
         true,
         ocFormat,
         " SET DEFAULT_FULLTEXT_LANGUAGE = %1"},
        {"既定の言語",
         11,
         "DefaultLanguageLcid",
         "Japanese",
         oeLanguage,
         {},
         true,
         ocLanguage,
         " SET DEFAULT_LANGUAGE = %1"},
        {"入れ子になったトリガーが有効", 11, "NestedTriggers", "ON", oePickList, onOff, true, ocFormat,
         " SET NESTED_TRIGGERS = %1"},
        {"■その他", 9, "その他", "", oeReadOnly, {}, false, ocNone, ""},
        {"ANSI NULL既定値", 9, "AnsiNullDefault", "OFF", oePickList, onOff, false, ocFormat,
         " SET ANSI_NULL_DEFAULT %1"},
        {"ANSI NULL有効", 9, "AnsiNulls", "OFF", oePickList, onOff, false, ocFormat, " SET ANSI_NULLS %1"},
        {"ANSI PADDING有効", 9, "AnsiPadding", "OFF", oePickList, onOff, false, ocFormat, " SET ANSI_PADDING %1"},
        {"ANSI警告有効", 9, "AnsiWarnings", "OFF", oePickList, onOff, false, ocFormat, " SET ANSI_WARNINGS %1"},
        {"Is Read Committed Snapshot On", 11, "ReadCommittedSnapshot", "OFF", oePickList, onOff, false, ocFormat,
         " SET READ_COMMITTED_SNAPSHOT %1"},
        {"NULLとの連結でNULLを使用", 9, "ConcatNullYieldsNull", "OFF", oePickList, onOff, false, ocFormat,
         " SET CONCAT_NULL_YIELDS_NULL %1"},
        {"VarDecimalストレージ形式有効", 10, "", "ON", oeReadOnly, {}, false, ocNone, ""},
        {"スナップショット分離を許可", 11, "SnapshotIsolationState", "OFF", oePickList, onOff, false, ocFormat,
         " SET ALLOW_SNAPSHOT_ISOLATION %1"},
        {"パラメーター化",
         9,
         "ParameterizationForced",
         "SIMPLE",
         oePickList,
         {QStringLiteral("FORCED"), QStringLiteral("SIMPLE")},
         false,
         ocFormat,
         " SET PARAMETERIZATION %1"},
        {"引用符で囲まれた識別子有効", 9, "QuotedIdentifiersEnabled", "OFF", oePickList, onOff, false, ocFormat,
         " SET QUOTED_IDENTIFIER %1"},
        {"再帰トリガー有効", 9, "RecursiveTriggersEnabled", "OFF", oePickList, onOff, false, ocFormat,
         " SET RECURSIVE_TRIGGERS %1"},
        {"算術アボート有効", 9, "Arithabort", "OFF", oePickList, onOff, false, ocFormat, " SET ARITHABORT %1"},
        {"信頼可能", 9, "Trustworthy", "OFF", oeReadOnly, {}, false, ocFormat, " SET TRUSTWORTHY %1"},
        {"数値丸め処理アボート", 9, "NumericRoundabort", "OFF", oePickList, onOff, false, ocFormat,
         " SET NUMERIC_ROUNDABORT %1"},
        {"日付の相関関係の最適化有効", 9, "DateCorrelation", "OFF", oePickList, onOff, false, ocFormat,
         " SET DATE_CORRELATION_OPTIMIZATION %1"},
        {"複数データベースの組合せ所有権有効", 9, "DbChaining", "OFF", oePickList, onOff, false, ocFormat,
         " SET DB_CHAINING %1"},
        {"■自動", 9, "自動", "", oeReadOnly, {}, false, ocNone, ""},
        {"自動圧縮", 9, "AutoShrink", "OFF", oePickList, onOff, false, ocFormat, " SET AUTO_SHRINK %1"},
        {"自動終了", 9, "AutoClose", "OFF", oePickList, onOff, false, ocFormat, " SET AUTO_CLOSE %1"},
        {"統計の自動更新", 9, "AutoUpdateStatistics", "ON", oePickList, onOff, false, ocFormat,
         " SET AUTO_UPDATE_STATISTICS %1"},
        {"統計の自動作成", 9, "AutoCreateStatistics", "ON", oePickList, onOff, false, ocFormat,
         " SET AUTO_CREATE_STATISTICS %1"},
        {"統計の非同期的自動更新", 9, "AutoUpdateStatsAsync", "OFF", oePickList, onOff, false, ocFormat,
         " SET AUTO_UPDATE_STATISTICS_ASYNC %1"},
        {"■状態", 9, "状態", "", oeReadOnly, {}, false, ocNone, ""},
        {"アクセスの制限",
         9,
         "UserAccess",
         "MULTI_USER",
         oePickList,
         {QStringLiteral("MULTI_USER"), QStringLiteral("SINGLE_USER"), QStringLiteral("RESTRICTED_USER")},
         false,
         ocFormat,
         " SET %1"},
        {"データベース状態", 9, "StateDesc", "Unknown", oeReadOnly, {}, false, ocNone, ""},
        {"暗号化有効", 10, "Encrypted", "OFF", oePickList, onOff, false, ocFormat, " SET ENCRYPTION %1"},
        {"読み取り専用データベース",
         9,
         "ReadOnly",
         "READ_WRITE",
         oePickList,
         {QStringLiteral("READ_ONLY"), QStringLiteral("READ_WRITE")},
         false,
         ocFormat,
         " SET %1"},
        {"■復旧", 9, "復旧", "", oeReadOnly, {}, false, ocNone, ""},
        {"ターゲットの復旧時間(秒)",
         11,
         "TargetRecoveryTimeInSeconds",
         "1",
         oeText,
         {},
         false,
         ocFormat,
         " SET TARGET_RECOVERY_TIME = %1 SECONDS"},
        {"ページ確認",
         9,
         "PageVerify",
         "CHECKSUM",
         oePickList,
         {QStringLiteral("NONE"), QStringLiteral("TORN_PAGE_DETECTION"), QStringLiteral("CHECKSUM")},
         false,
         ocFormat,
         " SET PAGE_VERIFY %1"},
    };
    return rows;
}

QList<const TDbOptionRow *> DbOptionRowsFor(int dbVer)
{
    QList<const TDbOptionRow *> out;
    for (const TDbOptionRow &r : DbOptionRows())
        if (dbVer >= r.FromVersion)
            out << &r;
    return out;
}

const TDbOptionRow *FindDbOptionRow(const QString &caption)
{
    for (const TDbOptionRow &r : DbOptionRows())
        if (caption == QString::fromUtf8(r.Caption))
            return &r;
    return nullptr;
}

bool IsDbOptionHeading(const QString &caption)
{
    return caption.startsWith(QStringLiteral("■")) && FindDbOptionRow(caption);
}

QString DbOptionClause(const TDbOptionRow &row, const QString &value,
                       const std::function<QString(const QString &alias)> &lcidOf)
{
    const QString clause = QString::fromUtf8(row.Clause);
    switch (row.ClauseKind) {
    case ocNone: return QString();
    case ocFormat: return clause.arg(value);
    case ocQuoted: return clause.arg(QLatin1Char('N') + QuoteSQLStr(value));
    case ocLanguage: return clause.arg(lcidOf ? lcidOf(value) : QString());
    case ocBroker:
        if (value == QLatin1String("ON"))
            return QStringLiteral(" SET ENABLE_BROKER");
        if (value == QLatin1String("OFF"))
            return QStringLiteral(" SET DISABLE_BROKER");
        return QString();
    }
    return QString();
}

QString LanguageAliasesQuery()
{
    return QStringLiteral("select alias from sys.syslanguages order by alias");
}

QString LanguageLcidQuery(const QString &alias)
{
    return QStringLiteral("select lcid from sys.syslanguages where Alias = N") + QuoteSQLStr(alias);
}

QString LanguageAliasQuery(const QString &lcid)
{
    return QStringLiteral("select alias from sys.syslanguages where lcid = ") + QuoteSQLStr(lcid);
}

QString VardecimalQuery(const QString &database)
{
    return QStringLiteral("sp_db_vardecimal_storage_format N") + QuoteSQLStr(database);
}

QString AzureCollationQuery(const QString &database)
{
    return QStringLiteral("select databasepropertyex(N") + QuoteSQLStr(database) + QStringLiteral(", 'collation')");
}
