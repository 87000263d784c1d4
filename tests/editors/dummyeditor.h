#pragma once

#include "core/zksub_text.h"
#include "connection/fobject.h"
#include "editors/fobjecteditor.h"
#include "platform/db/db.h"
#include "sqleditor/zkmemo.h"

#include <QBoxLayout>
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
        CreateColorPanel(this);
        CreateCommandBar(this);
        pages->addTab(new QWidget, QStringLiteral("定義"));
        pages->addTab(new QWidget, QStringLiteral("ソース"));
        txtSQL = new TzkMemo(pages->widget(1));
        TakeCodeAssist(txtSQL);
        // Laid out as an editor's header and pages.
        auto *header = new QHBoxLayout;
        header->setContentsMargins(0, 0, 0, 0);
        header->addWidget(pnlPersonalColor);
        header->addWidget(tolCmd, 1);
        header->addWidget(edtName);
        auto *body = new QVBoxLayout(this);
        body->setContentsMargins(0, 0, 0, 0);
        body->addLayout(header);
        body->addWidget(pages, 1);
    }

    // Read the object from the sample catalogue (InventoryDB.dbo.base_item)
    // instead of Catalogue.
    static inline bool ReadCatalogue = false;
    static inline QSet<QString> Catalogue;
    static inline QStringList CompileScript;
    static inline QStringList *Log = nullptr; // the calls, in order

    TzkObjectPages *pages;
    QLineEdit *edtName;
    TzkMemo *txtSQL = nullptr;
    int Loads = 0;
    bool SourcePage = false; // the source page counts as active

    QStringList FileGroupNames; // read by the load, without a prefix

    QStringList Script(bool drop) const { return BuildScript(drop); }
    // The file groups asked for later, outside a load.
    QStringList FileGroupsNow()
    {
        QStringList names;
        for (TFDQuery *q = OpenUnprefixedSQL(kFileGroups); !q->Eof(); q->Next())
            names << q->Fields(0)->AsString();
        return names;
    }
    static inline const QString kFileGroups = QStringLiteral("select name from sys.filegroups order by data_space_id");

protected:
    QString TypeWord() const override { return QStringLiteral("ダミー"); }
    QString LayoutKey() const override { return QStringLiteral("DUMMY"); }
    bool LoadObject() override
    {
        ++Loads;
        if (Log)
            *Log << QStringLiteral("load");
        if (ReadCatalogue) {
            TFDQuery *q = OpenCatalogSQL(QStringLiteral("select o.name from sys.objects as o where o.name = :NAME and "
                                                        "schema_name(o.schema_id) = :SCHEMA"),
                                         {ObjectName(), Schema()});
            if (q->Eof())
                return false;
            edtName->setText(q->Fields(0)->AsString());
            FileGroupNames.clear();
            for (q = Connection()->OpenSQL(kFileGroups); !q->Eof(); q->Next())
                FileGroupNames << q->Fields(0)->AsString();
            return true;
        }
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
    bool SourceTabActive() const override { return SourcePage; }
    TzkMemo *SourceEditor() const override { return txtSQL; }
};
