#include "support/rules/tdsrules_p.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tdsrules {

namespace {

const QString ModeExact = QStringLiteral("exact");
const QString ModeContains = QStringLiteral("contains");
const QString ModeRegex = QStringLiteral("regex");
const QString ModeLogin = QStringLiteral("login");

constexpr auto RegexOptions =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;

// A column name: [bracketed] (]] inside), 'quoted' or "quoted", or a word;
// the rest of the item is its type.
bool parseColumn(const QString &item, Column *column, QString *error)
{
    QString name;
    qsizetype i = 0;
    const qsizetype n = item.size();
    if (n == 0) {
        if (error)
            *error = QStringLiteral("a column is missing");
        return false;
    }
    const QChar open = item[0];
    if (open == QLatin1Char('[') || open == QLatin1Char('\'') || open == QLatin1Char('"')) {
        const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
        bool closed = false;
        for (i = 1; i < n; ++i) {
            if (item[i] == close) {
                if (i + 1 < n && item[i + 1] == close) {
                    name += close;
                    ++i;
                    continue;
                }
                ++i;
                closed = true;
                break;
            }
            name += item[i];
        }
        if (!closed) {
            if (error)
                *error = QStringLiteral("column name %1 is not closed").arg(item);
            return false;
        }
    } else {
        while (i < n && !item[i].isSpace())
            ++i;
        name = item.left(i);
    }
    column->name = name;
    return parseType(item.mid(i), column, error);
}

// Char columns use code page 1252 unless a value needs Japanese (932).
bool settleCodePages(ResultSet &rs, QString *error)
{
    for (int c = 0; c < rs.columns.size(); ++c) {
        Column &col = rs.columns[c];
        if (col.type != Type::Char && col.type != Type::VarChar && col.type != Type::Text)
            continue;
        QStringList texts;
        if (rs.isGenerated()) {
            const Generator &g = rs.generators[c];
            if (g.kind == Generator::Template)
                texts << g.text;
            else if (g.kind == Generator::Constant && !g.constant.isNull())
                texts << g.constant.toString();
        } else {
            for (const auto &row : std::as_const(rs.rows)) {
                if (!row[c].isNull())
                    texts << row[c].toString();
            }
        }
        bool japanese = false;
        for (const QString &t : std::as_const(texts)) {
            bool ok = false;
            encodeText(t, 1252, &ok);
            if (!ok) {
                japanese = true;
                break;
            }
        }
        if (!japanese)
            continue;
        col.codePage = 932;
        for (const QString &t : std::as_const(texts)) {
            bool ok = false;
            encodeText(t, 932, &ok);
            if (!ok) {
                if (error)
                    *error = QStringLiteral("column %1 mixes texts of code pages 1252 and 932").arg(col.name);
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool RuleSet::loadFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    return loadText(QString::fromUtf8(f.readAll()), path, error);
}

bool RuleSet::loadText(const QString &text, const QString &name, QString *error)
{
    QList<Rule> rules;
    int lineNo = 0;
    QString why;
    auto failAt = [&](int line, const QString &message) {
        if (error)
            *error = QStringLiteral("%1:%2: %3").arg(name).arg(line).arg(message);
        return false;
    };
    // The result being filled and the line it started on.
    Answer *result = nullptr;
    int resultLine = 0;
    auto closeResult = [&]() -> bool {
        if (result && !settleCodePages(result->result, &why))
            return failAt(resultLine, why);
        result = nullptr;
        return true;
    };
    auto prepare = [&](Rule &r) -> bool {
        r.normalizedPattern = normalizeSql(r.pattern);
        if (r.mode == ModeRegex || r.mode == ModeLogin) {
            r.regex = QRegularExpression(r.pattern, RegexOptions);
            if (!r.regex.isValid())
                return failAt(r.line, QStringLiteral("bad regular expression: %1").arg(r.regex.errorString()));
        }
        if (r.normalizedPattern.isEmpty() && r.mode != ModeLogin)
            return failAt(r.line, QStringLiteral("the rule has no pattern"));
        return true;
    };

    static const QRegularExpression ruleRe(QStringLiteral("^rule\\s+(\\w+)\\s*:\\s?(.*)$"));
    static const QRegularExpression keyRe(QStringLiteral("^(\\w+)\\s*(?::\\s*(.*))?$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression rowsRe(QStringLiteral("^(\\d+)\\s+generated\\s*(?::(.*))?$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression countRe(QStringLiteral("^(\\d+)\\s*(#.*)?$"));

    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (!line[0].isSpace()) {
            const auto m = ruleRe.match(line);
            if (!m.hasMatch())
                return failAt(lineNo, QStringLiteral("'rule <mode>: <pattern>' expected"));
            if (!closeResult() || (!rules.isEmpty() && !prepare(rules.last())))
                return false;
            Rule r;
            r.mode = m.captured(1).toLower();
            if (r.mode != ModeExact && r.mode != ModeContains && r.mode != ModeRegex && r.mode != ModeLogin)
                return failAt(lineNo, QStringLiteral("unknown rule mode '%1'").arg(r.mode));
            r.pattern = m.captured(2);
            if (r.mode != ModeRegex)
                r.pattern = r.pattern.trimmed();
            r.file = name;
            r.line = lineNo;
            rules << r;
            continue;
        }
        if (rules.isEmpty())
            return failAt(lineNo, QStringLiteral("an answer line outside a rule"));
        Rule &rule = rules.last();
        if (trimmed.startsWith(QLatin1Char('|'))) {
            if (!rule.answers.isEmpty() || !rule.paramsPattern.isEmpty())
                return failAt(lineNo, QStringLiteral("pattern lines ('|') must follow the rule line"));
            QString more = trimmed.mid(1);
            if (more.startsWith(QLatin1Char(' ')))
                more.remove(0, 1);
            rule.pattern += rule.pattern.isEmpty() ? more : QLatin1Char('\n') + more;
            continue;
        }
        const auto km = keyRe.match(trimmed);
        if (!km.hasMatch())
            return failAt(lineNo, QStringLiteral("unknown answer line"));
        const QString key = km.captured(1).toLower();
        const QString arg = km.captured(2).trimmed();
        if (key != QLatin1String("row") && key != QLatin1String("rows") && key != QLatin1String("rowcount")
            && !closeResult())
            return false;
        if (key == QLatin1String("params")) {
            rule.paramsPattern = arg;
            rule.paramsRegex = QRegularExpression(arg, RegexOptions);
            if (!rule.paramsRegex.isValid())
                return failAt(lineNo, QStringLiteral("bad regular expression: %1").arg(rule.paramsRegex.errorString()));
        } else if (key == QLatin1String("result")) {
            Answer a;
            a.kind = Answer::Result;
            const QStringList items = splitTopLevel(stripComment(arg));
            for (const QString &item : items) {
                Column c;
                if (!parseColumn(item, &c, &why))
                    return failAt(lineNo, why);
                a.result.columns << c;
            }
            if (a.result.columns.isEmpty())
                return failAt(lineNo, QStringLiteral("a result needs columns"));
            rule.answers << a;
            result = &rule.answers.last();
            resultLine = lineNo;
        } else if (key == QLatin1String("row")) {
            if (!result || result->result.isGenerated())
                return failAt(lineNo, QStringLiteral("'row:' must follow 'result:' or another 'row:'"));
            ResultSet &rs = result->result;
            QList<Literal> lits;
            if (!parseLiterals(arg, &lits, &why))
                return failAt(lineNo, why);
            if (lits.size() != rs.columns.size())
                return failAt(lineNo,
                              QStringLiteral("%1 values for %2 columns").arg(lits.size()).arg(rs.columns.size()));
            QList<QVariant> row;
            row.reserve(lits.size());
            for (int c = 0; c < lits.size(); ++c) {
                QVariant v;
                int sub = 0;
                if (!convertLiteral(lits[c], rs.columns[c], &v, &sub, &why))
                    return failAt(lineNo, why);
                if (sub)
                    rs.subMilliTicks.insert(qint64(rs.rows.size()) * 65536 + c, sub);
                row << v;
            }
            rs.rows << row;
        } else if (key == QLatin1String("rows")) {
            const auto rm = rowsRe.match(stripComment(arg));
            if (!result || !result->result.rows.isEmpty() || result->result.isGenerated())
                return failAt(lineNo, QStringLiteral("'rows:' must follow 'result:'"));
            if (!rm.hasMatch())
                return failAt(lineNo, QStringLiteral("'rows: <count> generated[: <generator>, ...]' expected"));
            ResultSet &rs = result->result;
            bool ok = false;
            rs.generatedRows = rm.captured(1).toLongLong(&ok);
            if (!ok)
                return failAt(lineNo, QStringLiteral("bad row count"));
            QStringList gens = splitTopLevel(rm.captured(2));
            if (gens.size() == 1 && gens.first().isEmpty())
                gens = QStringList(rs.columns.size(), QStringLiteral("seq"));
            if (gens.size() != rs.columns.size())
                return failAt(lineNo,
                              QStringLiteral("%1 generators for %2 columns").arg(gens.size()).arg(rs.columns.size()));
            for (int c = 0; c < gens.size(); ++c) {
                Generator g;
                if (!parseGenerator(gens[c], rs.columns[c], std::max<qint64>(rs.generatedRows, 1), &g, &why))
                    return failAt(lineNo, why);
                rs.generators << g;
            }
        } else if (key == QLatin1String("rowcount")) {
            const auto cm = countRe.match(arg);
            if (!cm.hasMatch())
                return failAt(lineNo, QStringLiteral("'rowcount: <number>' expected"));
            const qint64 count = cm.captured(1).toLongLong();
            if (result && result->rowCount < 0) {
                result->rowCount = count;
            } else {
                if (!closeResult())
                    return false;
                Answer a;
                a.kind = Answer::RowCount;
                a.rowCount = count;
                rule.answers << a;
            }
        } else if (key == QLatin1String("message") || key == QLatin1String("error")) {
            const bool isError = key == QLatin1String("error");
            const int fields = isError ? 4 : 3;
            QStringList parts = arg.split(QLatin1Char(','));
            if (parts.size() < fields + 1)
                return failAt(lineNo, isError ? QStringLiteral("'error: number, state, severity, line, text' expected")
                                              : QStringLiteral("'message: number, state, class, text' expected"));
            int nums[4] = {};
            for (int i = 0; i < fields; ++i) {
                bool ok = false;
                nums[i] = parts[i].trimmed().toInt(&ok);
                if (!ok)
                    return failAt(lineNo, QStringLiteral("'%1' is not a number").arg(parts[i].trimmed()));
            }
            Answer a;
            a.kind = isError ? Answer::Error : Answer::Message;
            a.number = nums[0];
            a.state = nums[1];
            a.severity = nums[2];
            a.line = isError ? nums[3] : 1;
            a.text = parts.mid(fields).join(QLatin1Char(',')).trimmed();
            if (isError ? a.severity < 11 : a.severity > 10)
                return failAt(lineNo, isError ? QStringLiteral("an error has severity 11 or more")
                                              : QStringLiteral("a message has class 10 or less"));
            rule.answers << a;
        } else if (key == QLatin1String("delay")) {
            const auto cm = countRe.match(arg);
            if (!cm.hasMatch())
                return failAt(lineNo, QStringLiteral("'delay: <milliseconds>' expected"));
            Answer a;
            a.kind = Answer::Delay;
            a.delayMs = cm.captured(1).toInt();
            rule.answers << a;
        } else if (key == QLatin1String("output")) {
            // "output: @P2 = N'text', @P3 = 5"
            Answer a;
            a.kind = Answer::Output;
            for (const QString &item : splitTopLevel(stripComment(arg))) {
                const qsizetype eq = item.indexOf(QLatin1Char('='));
                const QString name = item.left(eq).trimmed();
                const QString literal = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
                QList<Literal> lits;
                if (eq < 0 || !name.startsWith(QLatin1Char('@')) || name.size() < 2)
                    return failAt(lineNo, QStringLiteral("'output: @name = value, ...' expected"));
                if (!parseLiterals(literal, &lits, &why))
                    return failAt(lineNo, why);
                if (lits.size() != 1)
                    return failAt(lineNo, QStringLiteral("one value for %1 expected").arg(name));
                a.outputs << qMakePair(name, literal);
            }
            if (a.outputs.isEmpty())
                return failAt(lineNo, QStringLiteral("'output: @name = value, ...' expected"));
            rule.answers << a;
        } else if (key == QLatin1String("return")) {
            static const QRegularExpression statusRe(QStringLiteral("^(-?\\d+)\\s*(#.*)?$"));
            const auto sm = statusRe.match(arg);
            bool ok = false;
            const int status = sm.hasMatch() ? sm.captured(1).toInt(&ok) : 0;
            if (!ok)
                return failAt(lineNo, QStringLiteral("'return: <number>' expected"));
            Answer a;
            a.kind = Answer::Return;
            a.number = status;
            rule.answers << a;
        } else if (key == QLatin1String("drop")) {
            if (!arg.isEmpty() && !arg.startsWith(QLatin1Char('#')))
                return failAt(lineNo, QStringLiteral("'drop' takes nothing"));
            Answer a;
            a.kind = Answer::Drop;
            rule.answers << a;
        } else {
            return failAt(lineNo, QStringLiteral("unknown answer '%1'").arg(key));
        }
    }
    if (!closeResult() || (!rules.isEmpty() && !prepare(rules.last())))
        return false;
    m_files << rules;
    return true;
}

const Rule *RuleSet::find(const QString &sql, const QString &renderedParams, bool login) const
{
    QString normalized;
    bool haveNormalized = false;
    for (qsizetype f = m_files.size() - 1; f >= 0; --f) {
        for (const Rule &r : m_files[f]) {
            if ((r.mode == ModeLogin) != login)
                continue;
            bool hit = false;
            if (r.mode == ModeExact || r.mode == ModeContains) {
                if (!haveNormalized) {
                    normalized = normalizeSql(sql);
                    haveNormalized = true;
                }
                hit = r.mode == ModeExact ? normalized.compare(r.normalizedPattern, Qt::CaseInsensitive) == 0
                                          : normalized.contains(r.normalizedPattern, Qt::CaseInsensitive);
            } else {
                hit = r.regex.match(sql).hasMatch();
            }
            if (hit && !r.paramsPattern.isEmpty())
                hit = r.paramsRegex.match(renderedParams).hasMatch();
            if (hit)
                return &r;
        }
    }
    return nullptr;
}

const Rule *RuleSet::match(const QString &sql, const QString &renderedParams) const
{
    return find(sql, renderedParams, false);
}

QList<Answer> RuleSet::answer(const QString &sql, const QString &renderedParams) const
{
    Session session;
    return answer(sql, renderedParams, &session);
}

QList<Answer> RuleSet::answer(const QString &sql, const QString &renderedParams, Session *session) const
{
    QList<Answer> out;
    auto stops = [](const QList<Answer> &answers) {
        for (const Answer &a : answers) {
            if (a.kind == Answer::Error || a.kind == Answer::Drop)
                return true;
        }
        return false;
    };
    QStringList databases;
    QString rest;
    const QStringList uses = splitLeadingUse(sql, &databases, &rest);
    for (int i = 0; i < uses.size(); ++i) {
        // A rule may answer a "use" instead of the server (a missing database, say).
        if (const Rule *r = match(uses[i])) {
            out << r->answers;
            if (stops(r->answers))
                return out;
            continue;
        }
        Answer a;
        a.kind = Answer::UseDatabase;
        a.text = databases[i];
        out << a;
        session->database = databases[i];
    }
    const QString statement = uses.isEmpty() ? sql : rest;
    if (!uses.isEmpty() && statement.trimmed().isEmpty())
        return out;
    if (const Rule *r = match(statement, renderedParams)) {
        out << r->answers;
    } else if (!builtinAnswer(statement, session, &out)) {
        out << errorAnswer(50000, 1, 16, 1, QStringLiteral("no rule matches: %1").arg(normalizeSql(statement)));
    }
    return out;
}

QList<Answer> RuleSet::loginAnswers(const QString &user) const
{
    const Rule *r = find(user, {}, true);
    if (!r)
        return {};
    if (!r->answers.isEmpty())
        return r->answers;
    return {errorAnswer(18456, 1, 14, 1, QStringLiteral("Login failed for user '%1'.").arg(user))};
}

Answer errorAnswer(int number, int state, int severity, int line, const QString &text)
{
    Answer a;
    a.kind = Answer::Error;
    a.number = number;
    a.state = state;
    a.severity = severity;
    a.line = line;
    a.text = text;
    return a;
}

int returnStatus(const QList<Answer> &answers)
{
    int status = 0;
    for (const Answer &a : answers) {
        if (a.kind == Answer::Return)
            status = a.number;
    }
    return status;
}

bool applyOutputs(const QList<Answer> &answers, const QString &statement, QList<Param> *params, QString *error)
{
    static const QRegularExpression assigned(QStringLiteral("\\bexec(?:ute)?\\s+(@[\\w@#$]+)\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString target = assigned.match(statement).captured(1);
    auto assign = [&](Param &p, const Literal &lit) {
        Column c;
        if (!parseType(p.typeName, &c, error))
            return false;
        QVariant v;
        int sub = 0;
        if (!convertLiteral(lit, c, &v, &sub, error)) {
            if (error)
                *error = QStringLiteral("output %1: %2").arg(p.name, *error);
            return false;
        }
        p.value = v;
        return true;
    };
    for (Param &p : *params) {
        if (!p.output)
            continue;
        for (const Answer &a : answers) {
            if (a.kind == Answer::Return && !target.isEmpty() && p.name.compare(target, Qt::CaseInsensitive) == 0) {
                Literal lit;
                lit.kind = Literal::Number;
                lit.text = QString::number(a.number);
                if (!assign(p, lit))
                    return false;
            } else if (a.kind == Answer::Output) {
                for (const auto &o : a.outputs) {
                    if (o.first.compare(p.name, Qt::CaseInsensitive) != 0)
                        continue;
                    QList<Literal> lits;
                    if (!parseLiterals(o.second, &lits, error) || lits.size() != 1 || !assign(p, lits.first()))
                        return false;
                }
            }
        }
    }
    return true;
}

bool RuleSet::refusesLogin(const QList<Answer> &answers)
{
    for (const Answer &a : answers) {
        if (a.kind == Answer::Error || a.kind == Answer::Drop)
            return true;
    }
    return false;
}

} // namespace tdsrules
