#pragma once

#include "core/zksub_text.h"
#include "editors/fobjecteditor.h"

#include <QLineEdit>
#include <QSet>
#include <QStringList>

// An editor with nothing of its own, so that the base's protocol is checked
// alone: its catalogue is a set of "db.schema.name", its compile script what
// the test puts in.
class TfrmDummy : public TfrmObjectEditor
{
    Q_OBJECT
public:
    explicit TfrmDummy(TfrmObject *owner)
        : TfrmObjectEditor(owner)
        , pages(CreatePages(this))
        , edtName(new QLineEdit(this))
    {
        pages->addTab(new QWidget, QStringLiteral("定義"));
        pages->addTab(new QWidget, QStringLiteral("ソース"));
    }

    static inline QSet<QString> Catalogue;
    static inline QStringList CompileScript;
    static inline QStringList *Log = nullptr; // the calls, in order

    TzkObjectPages *pages;
    QLineEdit *edtName;
    int Loads = 0;

    QStringList Script(bool drop) const { return BuildScript(drop); }

protected:
    QString TypeWord() const override { return QStringLiteral("ダミー"); }
    QString LayoutKey() const override { return QStringLiteral("DUMMY"); }
    bool LoadObject() override
    {
        ++Loads;
        if (Log)
            *Log << QStringLiteral("load");
        const bool found =
            Catalogue.contains(Database() + QLatin1Char('.') + Schema() + QLatin1Char('.') + ObjectName());
        if (found)
            edtName->setText(ObjectName());
        return found;
    }
    QWidget *NameField() const override { return edtName; }
    QStringList BuildCompileScript() override { return CompileScript; }
    QStringList BuildDropScript() const override
    {
        return {QStringLiteral("DROP DUMMY ") + BracketName(Schema()) + QLatin1Char('.') + BracketName(ObjectName())
                + QStringLiteral("\r\ngo")};
    }
    QStringList BuildScript(bool drop) const override
    {
        QStringList s = DatabaseLine();
        s << QString();
        if (drop)
            s << BuildDropScript();
        else
            s << QStringLiteral("CREATE DUMMY ") + BracketName(Schema()) + QLatin1Char('.') + BracketName(ObjectName())
                     + QStringLiteral("\r\n\r\ngo");
        return s;
    }
    void EnableNameFields(bool enabled) override { edtName->setEnabled(enabled); }
};
