#pragma once

// The object editors' test harness: a connection window logged on to the
// sample catalogue of tests/fixtures/editors/ as one of the server profiles,
// with the editors' outside services (preview, execution, source history,
// messages) recorded instead of shown. See tests/fixtures/editors/README.md.

#include "connection/testhelpers.h"
#include "editors/fobjecteditor.h"

#include <QDir>

#include <gtest/gtest.h>

#include <ostream>

// A server the tests log on to: its rule file and the version forced with
// "/V=" (0: none).
struct TEditorProfile
{
    const char *name;
    const char *file; // in tests/fixtures/editors/profiles/
    int forcedVersion;
    int dbVer; // DBVer after the logon
    bool azure;
};

inline const TEditorProfile kEditorProfiles[] = {
    {"V8", "V8.rules", 0, 8, false},    {"V9", "V9.rules", 0, 9, false},    {"V10", "V10.rules", 0, 10, false},
    {"V11", "V11.rules", 0, 11, false}, {"V13", "V13.rules", 0, 13, false}, {"AZ", "AZ.rules", 0, 12, true},
    {"AZ13", "AZ.rules", 13, 13, true},
};

inline const TEditorProfile *FindEditorProfile(const QString &name)
{
    for (const TEditorProfile &p : kEditorProfiles)
        if (name == QLatin1String(p.name))
            return &p;
    return nullptr;
}

inline void PrintTo(const TEditorProfile &p, std::ostream *os)
{
    *os << p.name;
}

// Connection windows on the sample catalogue; logonAs() picks the profile.
class EditorCatalogueTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        ASSERT_TRUE(loadFolder(QStringLiteral(ZK_FIXTURES_DIR "/editors/catalogue")));
        saved = EditorServices();
        auto &s = EditorServices();
        s.Message = [this](const QString &text, int) {
            messages << text;
            calls << QStringLiteral("message");
            return answers.isEmpty() ? IDOK : answers.takeFirst();
        };
        s.Preview = [this](QStringList &sql, const QString &, const QString &, const QString &) {
            calls << QStringLiteral("preview");
            previewed = sql;
            return previewOK;
        };
        s.Execute = [this](TfrmObject *, const QStringList &sql) {
            calls << QStringLiteral("execute");
            executed = sql;
            if (stopRun)
                throw EAbort();
        };
        s.SaveBefore = [this](TfrmObject *, const QString &, const QString &, const QString &, int) {
            calls << QStringLiteral("before");
        };
        s.SaveAfter = [this](TfrmObject *, const QString &, const QString &, const QString &, int) {
            calls << QStringLiteral("after");
        };
    }
    void TearDown() override
    {
        EditorServices() = saved;
        ConnectionWindowTest::TearDown();
    }

    // Loads the profile's rule file last (its answers win), forces its
    // version and logs on; null (and a test failure) when the logon fails.
    TfrmObject *logonAs(const TEditorProfile &profile, const QString &database = QStringLiteral("SalesDB"))
    {
        QString error;
        const QString file = QStringLiteral(ZK_FIXTURES_DIR "/editors/profiles/") + QLatin1String(profile.file);
        if (!script->LoadFile(file, &error)) {
            ADD_FAILURE() << error.toStdString();
            return nullptr;
        }
        ServerVersionOverride = profile.forcedVersion;
        TfrmObject *form = logon(database);
        EXPECT_EQ(form->DBVer, profile.dbVer) << profile.name;
        EXPECT_EQ(form->IsAzure, profile.azure) << profile.name;
        script->ClearLog();
        return form;
    }
    TfrmObject *logonAs(const char *profile, const QString &database = QStringLiteral("SalesDB"))
    {
        const TEditorProfile *p = FindEditorProfile(QString::fromLatin1(profile));
        if (!p) {
            ADD_FAILURE() << "no profile " << profile;
            return nullptr;
        }
        return logonAs(*p, database);
    }

    // Every rule file of a folder, in name order.
    bool loadFolder(const QString &folder)
    {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.rules")}, QDir::Files, QDir::Name);
        for (const QString &f : files) {
            QString error;
            if (!script->LoadFile(folder + QLatin1Char('/') + f, &error)) {
                ADD_FAILURE() << error.toStdString();
                return false;
            }
        }
        return true;
    }

    QStringList calls;    // message, preview, before, execute, after: in order
    QStringList messages; // the texts of the messages
    QList<int> answers;   // the answers to the next messages (IDOK when none)
    QStringList previewed;
    QStringList executed;
    bool previewOK = true;
    bool stopRun = false; // the execution window stops at a failing batch
    TEditorServices saved;
};
