#pragma once

#include "core/zkforms.h"
#include "sqlwindow/rMemo.h"

#include <QVBoxLayout>

// A form that hosts the source-editor frame as the object windows do, with
// the fields the frame reads of its host.
class MemoHost
    : public TzkForm
    , public IzkMemoHost
{
public:
    explicit MemoHost(QObject *owner)
        : TzkForm(owner)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        memo = new TfraMemo(this);
        layout->addWidget(memo);
        resize(1000, 600);
    }
    QString MemoSchemaName() const override { return schema; }
    QString MemoObjectName() const override { return name; }
    bool MemoDatabase(QString &database) const override
    {
        if (sqlDatabase.isEmpty())
            return false;
        database = sqlDatabase;
        return true;
    }

    TfraMemo *memo = nullptr;
    QString schema;
    QString name;
    QString sqlDatabase;
};
