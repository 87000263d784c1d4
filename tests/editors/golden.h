#pragma once

// Golden texts of whole generated statements, kept in one file per builder
// under tests/editors/<folder>/data/:
//
//   # comment lines
//   ### case name
//   | first line of the text
//   | second line
//
// Lines are joined with CR LF, as the builders write them. A test compares
// with EXPECT_TRUE(golden.Matches(name, actual)); a mismatch prints a line
// diff. With ZK_UPDATE_GOLDEN=1 in the environment Matches writes the actual
// text into the file instead (keeping the other cases) and passes: read the
// diff before committing it.

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

class TGoldenFile
{
public:
    explicit TGoldenFile(const QString &path)
        : m_path(path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QString name;
        QStringList lines;
        auto flush = [&] {
            if (!name.isEmpty())
                set(name, lines.join(QStringLiteral("\r\n")));
            lines.clear();
        };
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("### "))) {
                flush();
                name = line.mid(4);
            } else if (line.startsWith(QLatin1String("| ")) || line == QLatin1String("|")) {
                lines << line.mid(2);
            } else if (name.isEmpty() && line.startsWith(QLatin1Char('#'))) {
                m_header << line;
            }
        }
        flush();
    }

    static bool Updating() { return !qEnvironmentVariableIsEmpty("ZK_UPDATE_GOLDEN"); }

    bool Has(const QString &name) const { return index(name) >= 0; }
    QString Text(const QString &name) const
    {
        const int i = index(name);
        return i < 0 ? QString() : m_cases.at(i).second;
    }

    ::testing::AssertionResult Matches(const QString &name, const QString &actual)
    {
        if (Updating()) {
            set(name, actual);
            if (!save())
                return ::testing::AssertionFailure() << "cannot write " << m_path.toStdString();
            return ::testing::AssertionSuccess();
        }
        if (!Has(name))
            return ::testing::AssertionFailure() << "no golden text \"" << name.toStdString() << "\" in "
                                                 << m_path.toStdString() << "; the builder gives:\n"
                                                 << actual.toStdString();
        const QString expected = Text(name);
        if (expected == actual)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "\"" << name.toStdString() << "\" differs from " << m_path.toStdString() << " (- golden, + built):\n"
               << Diff(expected, actual).toStdString();
    }

    // A line diff of two texts (lines split at CR LF or LF).
    static QString Diff(const QString &expected, const QString &actual)
    {
        const QStringList a = expected.split(QStringLiteral("\r\n"));
        const QStringList b = actual.split(QStringLiteral("\r\n"));
        const int n = int(a.size());
        const int m = int(b.size());
        std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
        for (int i = n - 1; i >= 0; --i)
            for (int j = m - 1; j >= 0; --j)
                lcs[i][j] = a.at(i) == b.at(j) ? lcs[i + 1][j + 1] + 1 : qMax(lcs[i + 1][j], lcs[i][j + 1]);
        QString out;
        int i = 0;
        int j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a.at(i) == b.at(j)) {
                out += QStringLiteral("  ") + a.at(i++) + QLatin1Char('\n');
                ++j;
            } else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) {
                out += QStringLiteral("- ") + a.at(i++) + QLatin1Char('\n');
            } else {
                out += QStringLiteral("+ ") + b.at(j++) + QLatin1Char('\n');
            }
        }
        return out;
    }

private:
    int index(const QString &name) const
    {
        for (int i = 0; i < m_cases.size(); ++i)
            if (m_cases.at(i).first == name)
                return i;
        return -1;
    }
    void set(const QString &name, const QString &text)
    {
        const int i = index(name);
        if (i < 0)
            m_cases.append({name, text});
        else
            m_cases[i].second = text;
    }
    bool save() const
    {
        QString text;
        for (const QString &line : m_header)
            text += line + QLatin1Char('\n');
        for (const auto &c : m_cases) {
            text += QStringLiteral("### ") + c.first + QLatin1Char('\n');
            for (const QString &line : c.second.split(QStringLiteral("\r\n")))
                text += (line.isEmpty() ? QStringLiteral("|") : QStringLiteral("| ") + line) + QLatin1Char('\n');
        }
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(text.toUtf8());
        return true;
    }

    QString m_path;
    QStringList m_header;
    QList<QPair<QString, QString>> m_cases;
};
