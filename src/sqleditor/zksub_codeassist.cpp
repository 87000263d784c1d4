#include "sqleditor/zksub_codeassist.h"

#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksub.h"
#include "core/zkwindows.h"
#include "platform/db/dbquery.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_parse.h"

#include <QSet>

namespace {

const QString CRLF = QStringLiteral("\r\n");

enum TPartKind : char {
    pkDatabase = 'd',
    pkSchema = 's',
    pkTable = 't',
    pkAlias = 'a',
    pkSynonym = 'y',
    pkRoutine = 'r',
    pkPrefix = 'p',
};

// Letter case per UTF-16 unit: "ß" must not grow into "SS".
QString upper(QString s)
{
    for (QChar &c : s)
        c = c.toUpper();
    return s;
}

// Without a leading "[" and a trailing "]", doubled "]" undone.
QString stripBrackets(const QString &s)
{
    if (s.startsWith(u'[') && s.endsWith(u']') && s.size() >= 2)
        return UnbracketName(s);
    if (s.startsWith(u'['))
        return s.mid(1);
    if (s.endsWith(u']'))
        return s.left(s.size() - 1);
    return s;
}

QString normalise(QString part)
{
    if (part.endsWith(u';'))
        part.chop(1);
    if (part.startsWith(u'"'))
        return UnquoteDouble(part);
    if (part.startsWith(u'['))
        return stripBrackets(part);
    return part;
}

// Every statement with a use prefix starts with it, so the layer can send
// the prefix as a batch of its own before a parameterised statement.
QString usePrefix(const QString &database)
{
    return QStringLiteral("use ") + BracketName(database, true) + CRLF;
}

class TLookup
{
public:
    TLookup(TzkMemo *memo, QWidget *owner, TFDQuery *query, const QString &database, const QString &schema, int dbVer)
        : m_memo(memo)
        , m_owner(owner)
        , m_query(query)
        , m_database(database)
        , m_schema(schema)
        , m_old(dbVer < 9)
    {
    }

    void Run(int x, int y);

private:
    QString ownerTest(const QString &alias = QString()) const
    {
        const QString uid = alias.isEmpty() ? QStringLiteral("uid") : alias + QStringLiteral(".uid");
        return m_old ? QStringLiteral("upper(user_name(%1))").arg(uid)
                     : QStringLiteral("upper(schema_name(%1))").arg(uid);
    }
    void open(const QString &sql, const QList<QPair<QString, QString>> &params)
    {
        m_query->Close();
        m_query->SetParamCreate(true);
        m_query->SetSQL(sql);
        for (const auto &p : params)
            m_query->ParamByName(p.first).SetAsWideString(p.second);
        m_query->Open();
    }
    bool found() const { return m_query->Active() && !m_query->Eof(); }

    bool testAzure();
    bool findDatabase(const QString &name, QString &serverName);
    bool findTable(const QString &owner, const QString &name);
    QString findSynonym(const QString &owner, const QString &name);
    bool findAlias(QString &p0);
    bool findSchema(const QString &name);
    bool findRoutine(const QString &owner, const QString &name);

    TzkCodeAssist *popup();
    void setColumns(const QString &first, const QString &second);
    void add(const QString &caption, const QString &sub, int image);
    bool listDatabases();
    bool listSchemas(const QString &database);
    bool listObjects(const QString &database, const QString &owner);
    void listReservedWords();
    bool listColumns(const QString &database, const QString &owner, const QString &table);

    TzkMemo *m_memo;
    QWidget *m_owner;
    TFDQuery *m_query;
    QString m_database;
    QString m_schema;
    bool m_old;
    QString m_dbForLookup; // D: the database the name parts are looked up in
    bool m_azure = false;
    int m_x = 0;
    int m_y = 0;
};

bool TLookup::testAzure()
{
    TFDQuery test;
    test.SetConnection(m_query->Connection());
    test.SetParamCreate(false);
    try {
        test.Open(QStringLiteral("select serverproperty('Edition')"));
    } catch (...) {
        test.Close();
        throw;
    }
    const bool azure = !test.Eof() && TrimBlanks(test.Fields(0)->AsString()) == QLatin1String("SQL Azure");
    test.Close();
    return azure;
}

bool TLookup::findDatabase(const QString &name, QString &serverName)
{
    if (m_azure)
        open(QStringLiteral("select name from sys.sysdatabases where upper(name) = :NAME"), {{"NAME", upper(name)}});
    else
        open(QStringLiteral(
                 "select name from master.dbo.sysdatabases where has_dbaccess(name) = 1 and upper(name) = :NAME"),
             {{"NAME", upper(name)}});
    if (!found())
        return false;
    serverName = m_query->Fields(0)->AsString();
    return true;
}

bool TLookup::findTable(const QString &owner, const QString &name)
{
    open(usePrefix(m_dbForLookup) + QStringLiteral("select name from sysobjects where xtype in (N'U', N'S', N'V') and")
             + CRLF + ownerTest() + QStringLiteral(" = :OWNER collate database_default and upper(name) = :NAME"),
         {{"OWNER", owner}, {"NAME", upper(name)}});
    return found();
}

QString TLookup::findSynonym(const QString &owner, const QString &name)
{
    try {
        open(usePrefix(m_dbForLookup) + QStringLiteral("select a.base_object_name from sys.synonyms as a") + CRLF
                 + QStringLiteral("inner join sys.objects as b on b.object_id = object_id(a.base_object_name)") + CRLF
                 + QStringLiteral("where b.type in (N'U', N'S', N'V') and") + CRLF
                 + QStringLiteral(
                     "upper(schema_name(a.schema_id)) = :OWNER collate database_default and upper(a.name) = :NAME"),
             {{"OWNER", upper(owner)}, {"NAME", upper(name)}});
        return found() ? m_query->Fields(0)->AsString() : QString();
    } catch (...) {
        m_query->Close();
        return QString();
    }
}

bool TLookup::findAlias(QString &p0)
{
    QStringList lines;
    for (int i = 0; i < m_memo->Lines()->Count(); ++i)
        lines.append(m_memo->Lines()->Get(i));
    StripSqlComments(lines, false);
    TzkParseList columns, tables, order;
    QStringList where, group, having;
    QString view;
    try {
        ParseSqlTables(lines.join(CRLF), columns, tables, order, where, group, having, QString(), view);
    } catch (...) {
        // What was collected before the parser gave up still counts.
    }
    for (int i = 0; i < tables.Count(); ++i) {
        if (!tables.Alias(i).isEmpty() && tables.Alias(i).compare(p0, Qt::CaseInsensitive) == 0) {
            p0 = tables.ObjectName(i);
            return true;
        }
    }
    return false;
}

bool TLookup::findSchema(const QString &name)
{
    open(usePrefix(m_dbForLookup)
             + (m_old ? QStringLiteral("select name from sysusers where upper(name) = :NAME")
                      : QStringLiteral("select name from sys.schemas where upper(name) = :NAME")),
         {{"NAME", upper(name)}});
    return found();
}

bool TLookup::findRoutine(const QString &owner, const QString &name)
{
    // Runs right after the schema query, whose prefix left the session in
    // the database.
    open(QStringLiteral("select name from sysobjects where xtype in (N'P', N'RF', N'X', N'FN', N'IF', N'TF') and")
             + CRLF + ownerTest() + QStringLiteral(" = :OWNER collate database_default and upper(name) = :NAME"),
         {{"OWNER", owner}, {"NAME", upper(name)}});
    return found();
}

TzkCodeAssist *TLookup::popup()
{
    if (!m_memo->CodeAssist) {
        auto *p = new TzkCodeAssist(m_memo, m_owner, m_x, m_y);
        m_memo->CodeAssist = p;
        if (zkMainForm && zkMainForm->imgMain()) {
            TzkImageList *images = zkMainForm->imgMain();
            p->ImageOf = [images](int index) { return images->Icon(index); };
        }
        p->SetRWTable(m_memo->ReserveWordList());
        p->SetUseBQuote(zkOption.UseLowerName);
    }
    return m_memo->CodeAssist;
}

void TLookup::setColumns(const QString &first, const QString &second)
{
    popup()->setHeaderLabels({first, second});
}

void TLookup::add(const QString &caption, const QString &sub, int image)
{
    TzkCodeAssist *p = popup();
    p->CaptionList.append(caption);
    p->SubItemList.append(sub);
    p->ImageList.push_back(image);
}

bool TLookup::listDatabases()
{
    m_query->Close();
    m_query->SetSQL(m_azure ? QStringLiteral("select name from sys.databases")
                            : QStringLiteral("select name from master.dbo.sysdatabases where has_dbaccess(name) = 1"));
    m_query->Open();
    bool any = false;
    for (; !m_query->Eof(); m_query->Next()) {
        const QString name = m_query->Fields(0)->AsString();
        add(name, QStringLiteral("DATABASE"), name == m_database ? 116 : 1);
        any = true;
    }
    return any;
}

bool TLookup::listSchemas(const QString &database)
{
    m_query->Close();
    m_query->SetSQL(usePrefix(database)
                    + (m_old ? QStringLiteral("select name from sysusers order by name")
                             : QStringLiteral("select name from sys.schemas order by name")));
    m_query->Open();
    bool any = false;
    for (; !m_query->Eof(); m_query->Next()) {
        const QString name = m_query->Fields(0)->AsString();
        add(name, QStringLiteral("SCHEMA"), name == m_schema ? 3 : 2);
        any = true;
    }
    return any;
}

bool TLookup::listObjects(const QString &database, const QString &owner)
{
    QStringList sql{
        QStringLiteral("select name, xtype ,"),
        QStringLiteral("case"),
        QStringLiteral("when xtype in (N'U', N'S') then 1"),
        QStringLiteral("when xtype = N'V' then 2"),
        QStringLiteral("when xtype in (N'PK', N'F', N'C', N'D', N'UQ') then 4"),
        QStringLiteral("when xtype in (N'P', N'RF', N'X') then 5"),
        QStringLiteral("when xtype in (N'FN', N'IF', N'TF') then 6"),
        QStringLiteral("when xtype = N'TR' then 7"),
        QStringLiteral("when xtype = N'SO' then 8"),
        QStringLiteral("when xtype = N'SN' then 9"),
        QStringLiteral("end as Sort"),
        QStringLiteral("from sysobjects"),
        QStringLiteral(
            "where xtype in(N'U', N'S', N'V', N'PK', N'F', N'C', N'D', N'UQ', N'P', N'RF', N'X', N'FN', N'IF', N'TF', N'TR', N'SN', N'SO')"),
        QStringLiteral("and ") + ownerTest() + QStringLiteral(" = :OWNER collate database_default"),
        QStringLiteral("union"),
        // sys.indexes names no object by itself: object_id(c.name) finds
        // only indexes named like a key constraint.
        m_azure ? QStringLiteral(
            "select c.name, N'IX' as xtype, 3 as Sort from sys.indexes c inner join sys.sysobjects d on c.object_id = d.id")
                : QStringLiteral(
                    "select c.name, N'IX' as xtype, 3 as Sort from sysindexes c inner join sysobjects d on d.id = c.id"),
        QStringLiteral("where c.name not like N'_WA_Sys%' and"),
        ownerTest(QStringLiteral("d")) + QStringLiteral(" = :OWNER collate database_default"),
        QStringLiteral("order by Sort, name"),
    };
    open(usePrefix(database) + sql.join(CRLF), {{"OWNER", owner}});
    bool any = false;
    for (; !m_query->Eof(); m_query->Next()) {
        const QString xtype = m_query->Fields(1)->AsString();
        add(m_query->Fields(0)->AsString(), XTypeToName(xtype), ObjTypeFromXType(xtype));
        any = true;
    }
    return any;
}

void TLookup::listReservedWords()
{
    for (const QString &word : m_memo->ReserveWordList())
        add(word, QStringLiteral("KEYWORD"), 10);
}

bool TLookup::listColumns(const QString &database, const QString &owner, const QString &table)
{
    open(
        usePrefix(database)
            + QStringLiteral("select COLUMN_NAME, DATA_TYPE, CHARACTER_OCTET_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE,")
            + CRLF + QStringLiteral("CHARACTER_MAXIMUM_LENGTH from INFORMATION_SCHEMA.COLUMNS") + CRLF
            + QStringLiteral(
                "where upper(TABLE_SCHEMA) = :OWNER and upper(TABLE_NAME) = :TABLENAME order by ORDINAL_POSITION"),
        {{"OWNER", upper(owner)}, {"TABLENAME", upper(table)}});
    if (!found())
        return false;
    // The key columns are read while the column result stays open.
    TFDQuery keys;
    keys.SetConnection(m_query->Connection());
    keys.SetParamCreate(true);
    keys.SetSQL(
        usePrefix(database) + QStringLiteral("select b.COLUMN_NAME  from sysobjects a") + CRLF
        + QStringLiteral("inner join INFORMATION_SCHEMA.KEY_COLUMN_USAGE b on a.name = b.CONSTRAINT_NAME") + CRLF
        + (m_azure ? QStringLiteral("inner join sys.indexes c on b.CONSTRAINT_NAME  = c.name")
                   : QStringLiteral("inner join sysindexes c on b.CONSTRAINT_NAME  = c.name"))
        + CRLF
        + QStringLiteral("where a.xtype = N'PK' and upper(TABLE_SCHEMA) = :OWNER and upper(TABLE_NAME) = :TableNae"));
    keys.ParamByName(QStringLiteral("OWNER")).SetAsWideString(upper(owner));
    keys.ParamByName(QStringLiteral("TableNae")).SetAsWideString(upper(table));
    keys.Open();
    QSet<QString> keyColumns;
    for (; !keys.Eof(); keys.Next())
        keyColumns.insert(upper(keys.Fields(0)->AsString()));
    keys.Close();

    add(QStringLiteral("*"), QString(), -1);
    for (; !m_query->Eof(); m_query->Next()) {
        const QString name = m_query->FieldByName(QStringLiteral("COLUMN_NAME"))->AsString();
        const QString type = m_query->FieldByName(QStringLiteral("DATA_TYPE"))->AsString();
        const QString maxLength = m_query->FieldByName(QStringLiteral("CHARACTER_MAXIMUM_LENGTH"))->AsString();
        const QString precision = m_query->FieldByName(QStringLiteral("NUMERIC_PRECISION"))->AsString();
        const QString scale = m_query->FieldByName(QStringLiteral("NUMERIC_SCALE"))->AsString();
        const QString t = upper(type);
        QString size;
        if (t == QLatin1String("CHAR") || t == QLatin1String("NCHAR") || t == QLatin1String("BINARY"))
            size = maxLength;
        else if (t == QLatin1String("VARCHAR") || t == QLatin1String("NVARCHAR") || t == QLatin1String("VARBINARY"))
            size = (!m_old && maxLength == QLatin1String("-1")) ? QStringLiteral("max") : maxLength;
        else if (t == QLatin1String("NUMERIC") || t == QLatin1String("DECIMAL"))
            size = precision + u',' + scale;
        else if (t == QLatin1String("FLOAT") || t == QLatin1String("REAL"))
            size = precision;
        add(name, size.isEmpty() ? type : type + u'(' + size + u')', keyColumns.contains(upper(name)) ? 46 : -1);
    }
    return true;
}

struct TTarget
{
    QString D, O, N;
};

void TLookup::Run(int x, int y)
{
    m_x = x;
    m_y = y;
    QString token = m_memo->GetCodeAssistToken();
    m_azure = testAzure();
    const bool partial = token.isEmpty() || !token.endsWith(u'.');
    if (!partial)
        token.chop(1);
    QStringList parts = token.split(u'.');
    if (parts.size() > 4)
        return;
    const int n = int(parts.size());
    bool listDb = false;
    bool listSchema = false;
    const QString raw = m_memo->GetCodeAssistToken();
    if (raw.isEmpty()) {
        listDb = listSchema = true;
    } else if (n == 1 && parts[0].isEmpty()) {
        parts[0] = m_schema;
        listSchema = true;
    } else if (n == 2 || n == 3) {
        if (parts[0].isEmpty())
            parts[0] = m_database;
        if (parts[1].isEmpty())
            parts[1] = upper(m_schema);
    } else if (n == 4 && std::all_of(parts.begin(), parts.end(), [](const QString &p) { return p.isEmpty(); })) {
        return;
    }
    if (partial)
        listDb = listSchema = true;

    m_dbForLookup = m_database;
    QString kinds;
    TTarget synonym;
    for (int i = 0; i < n; ++i) {
        parts[i] = normalise(parts[i]);
        const QString &p = parts[i];
        const QString owner = upper(i == 0 ? m_schema : parts[i - 1]);
        if (partial && i == n - 1) {
            kinds += QChar(pkPrefix);
            break;
        }
        QString serverName;
        if (findDatabase(p, serverName)) {
            kinds += QChar(pkDatabase);
            m_dbForLookup = serverName;
            parts[i] = serverName;
            continue;
        }
        if (findTable(owner, p)) {
            kinds += QChar(pkTable);
            continue;
        }
        if (!m_old) {
            const QString target = findSynonym(owner, p);
            if (!target.isEmpty()) {
                kinds += QChar(pkSynonym);
                const QStringList t = target.split(u'.');
                if (t.size() >= 3) {
                    synonym = {stripBrackets(t[0]), stripBrackets(t[1]), stripBrackets(t.mid(2).join(u'.'))};
                } else if (t.size() == 2) {
                    synonym = {m_dbForLookup, stripBrackets(t[0]), stripBrackets(t[1])};
                } else {
                    synonym = {m_dbForLookup, owner, stripBrackets(t[0])};
                }
                continue;
            }
        }
        if (i == 0 && findAlias(parts[0])) {
            kinds += QChar(pkAlias);
            continue;
        }
        if (findSchema(p)) {
            kinds += QChar(pkSchema);
            continue;
        }
        if (findRoutine(owner, p)) {
            kinds += QChar(pkRoutine);
            continue;
        }
        return;
    }

    // What the sequence of kinds lists, and from where.
    enum { None, Objects, Columns, Schemas } list = None;
    QString D = m_database, O, N, F;
    bool reserved = false;
    auto fromAlias = [&]() {
        const QString n0 = parts[0];
        const int dot = int(n0.indexOf(u'.'));
        if (dot < 0) {
            O = upper(m_schema);
            N = normalise(n0);
            return;
        }
        O = normalise(n0.left(dot));
        N = normalise(n0.mid(dot + 1));
        const int dot2 = int(N.indexOf(u'.'));
        if (dot2 >= 0) {
            if (!O.isEmpty())
                D = O;
            O = stripBrackets(N.left(dot2));
            N = stripBrackets(N.mid(dot2 + 1));
        }
        if (O.isEmpty())
            O = upper(m_schema);
    };
    auto fromSynonym = [&]() {
        D = synonym.D;
        O = synonym.O;
        N = synonym.N;
    };
    const QString k = kinds;
    if (k == u"s") {
        list = Objects, O = upper(parts[0]);
    } else if (k == u"p") {
        list = Objects, O = upper(m_schema), F = upper(parts[0]), reserved = true;
    } else if (k == u"t") {
        list = Columns, O = upper(m_schema), N = upper(parts[0]);
    } else if (k == u"a") {
        list = Columns, fromAlias();
    } else if (k == u"y" || k == u"sy" || k == u"dsy") {
        list = Columns, fromSynonym();
    } else if (k == u"d") {
        list = Schemas, D = parts[0];
    } else if (k == u"ds") {
        list = Objects, D = parts[0], O = upper(parts[1]);
    } else if (k == u"sp") {
        list = Objects, O = upper(parts[0]), F = upper(parts[1]);
    } else if (k == u"st") {
        list = Columns, O = upper(parts[0]), N = upper(parts[1]);
    } else if (k == u"tp") {
        list = Columns, O = upper(m_schema), N = upper(parts[0]), F = upper(parts[1]);
    } else if (k == u"ap") {
        list = Columns, fromAlias(), F = upper(parts[1]);
    } else if (k == u"yp") {
        list = Columns, fromSynonym(), F = upper(parts[1]);
    } else if (k == u"dst") {
        list = Columns, D = parts[0], O = upper(parts[1]), N = upper(parts[2]);
    } else if (k == u"dsp") {
        list = Objects, D = parts[0], O = upper(parts[1]), F = upper(parts[2]);
    } else if (k == u"stp") {
        list = Columns, O = upper(parts[0]), N = upper(parts[1]), F = upper(parts[2]);
    } else if (k == u"syp") {
        list = Columns, fromSynonym(), F = upper(parts[2]);
    } else if (k == u"dstp") {
        list = Columns, D = parts[0], O = upper(parts[1]), N = upper(parts[2]), F = upper(parts[3]);
    } else if (k == u"dsyp") {
        list = Columns, fromSynonym(), F = upper(parts[3]);
    }

    bool any = false;
    switch (list) {
    case None: return;
    case Objects:
        if (listDb)
            any = listDatabases() || any;
        if (listSchema)
            any = listSchemas(D) || any;
        any = listObjects(D, O) || any;
        if (reserved && !m_memo->ReserveWordList().isEmpty()) {
            listReservedWords();
            any = true;
        }
        if (any)
            setColumns(QStringLiteral("オブジェクト名"), QStringLiteral("タイプ"));
        break;
    case Schemas:
        any = listSchemas(D);
        if (any)
            setColumns(QStringLiteral("スキーマ名"), QStringLiteral("タイプ"));
        break;
    case Columns:
        any = listColumns(D, O, N);
        if (any)
            setColumns(QStringLiteral("列名"), QStringLiteral("データ型"));
        break;
    }
    TzkCodeAssist *p = m_memo->CodeAssist;
    if (!any || !p)
        return;
    if (partial)
        p->SetBuffer(F);
    p->ShowItems();
    if (p->RowCount() == 1) {
        p->Accept(13);
        return;
    }
    p->show();
    p->raise();
    if (p->RowCount() > 0)
        p->setCurrentItem(p->topLevelItem(0));
}

} // namespace

void CodeAssistCandidates(TzkMemo *Memo, QWidget *Owner, TFDQuery *Query, const QString &Database,
                          const QString &Schema, int DBVer, int X, int Y)
{
    if (!Memo || !Query || !zkOption.CodeAssist || Memo->CodeAssist)
        return;
    try {
        TLookup(Memo, Owner ? Owner : Memo->window(), Query, Database, Schema, DBVer).Run(X, Y);
    } catch (...) {
        // A half-filled popup would block every later request.
        if (Memo->CodeAssist && !Memo->CodeAssist->isVisible())
            Memo->CloseCodeAssist();
        throw;
    }
}
