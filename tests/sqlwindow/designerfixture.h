#pragma once

// A query designer shown offscreen in a host window, with boxes built from
// plain column lists and a counter of the statement calls.
#include "platform/db/dbconnection.h"
#include "sqlwindow/zksqlbld.h"

#include <QApplication>
#include <QFont>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

class CountingDesigner : public TzkSQLDesigner
{
public:
    using TzkSQLDesigner::TzkSQLDesigner;
    int designToSQL = 0;
    int sqlToDesign = 0;
    void DesignToSQL() override
    {
        ++designToSQL;
        TzkSQLDesigner::DesignToSQL();
    }
    void SQLToDesign() override
    {
        ++sqlToDesign;
        TzkSQLDesigner::SQLToDesign();
    }
};

class DesignerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host = std::make_unique<QWidget>();
        host->resize(640, 420);
        auto *layout = new QVBoxLayout(host.get());
        layout->setContentsMargins(0, 0, 0, 0);
        designer = new CountingDesigner(host.get());
        designer->setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 9));
        layout->addWidget(designer);
        host->show();
        QApplication::processEvents();
    }
    void TearDown() override { host.reset(); }

    // A box with "*" first (a SELECT design) and the given columns; keys
    // are drawn bold.
    TzkSQLBuildTable *box(const QString &name, const QString &alias, const QStringList &columns,
                          const QStringList &keys = {}, QPoint at = QPoint(16, 16))
    {
        TzkSQLBuildTable *b = designer->AddTable(name, alias);
        b->ItemList()->AddColumn(QStringLiteral("*"));
        for (const QString &c : columns)
            b->ItemList()->AddColumn(c, keys.contains(c));
        b->move(at);
        return b;
    }
    std::unique_ptr<QWidget> host;
    CountingDesigner *designer = nullptr;
};
