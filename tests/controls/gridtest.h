#pragma once

// A data grid on a query whose result the test builds in memory.

#include "controls/zkdbgrid.h"
#include "platform/db/fakebackend.h"
#include "platform/db/dbconnection.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <memory>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

class GridTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBackend>();
        backend = b.get();
        con.SetBackend(std::move(b));
        con.Open();
        query.SetConnection(&con);
        source.SetDataSet(&query);
        grid = new TzkDBGridV;
        grid->resize(400, 300);
        TzkDBGridV::SetWholeRecordSelectedV(false);
    }
    void TearDown() override
    {
        delete grid;
        TzkDBGridV::SetWholeRecordSelectedV(false);
    }

    // Opens the query on these rows (and binds the grid when asked).
    void Open(const QList<TDBColumnDef> &columns, const QList<QVariantList> &rows, bool bind = true)
    {
        backend->answer = [columns, rows](const TDBRequest &) {
            TDBBatch batch;
            batch.results.push_back(FakeBackend::table(columns, rows));
            return batch;
        };
        query.Open("select");
        if (bind)
            grid->SetDataSource(&source);
    }
    // n records of (id int, name nvarchar(20), note nvarchar(20), amount decimal(10,2)).
    void OpenNumbered(int n, bool bind = true)
    {
        QList<QVariantList> rows;
        for (int i = 1; i <= n; ++i)
            rows << QVariantList{i, QStringLiteral("名前%1").arg(i), QStringLiteral("n%1").arg(i),
                                 QString::number(i) + ".50"};
        Open({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 20),
              DescribeColumn("note", "nvarchar", 20), DescribeColumn("amount", "decimal", 0, 10, 2)},
             rows, bind);
    }
    QList<int> SelectedIds()
    {
        QList<int> ids;
        TField *id = query.Fields(0);
        grid->SelectedRows()->ForEach([&](TRecordId r) { ids << id->ValueAt(r).toInt(); });
        return ids;
    }
    int CurrentId() { return query.FieldByName("id")->AsInteger(); }
    void Show()
    {
        grid->show();
        QApplication::setActiveWindow(grid);
        grid->setFocus();
        QApplication::processEvents();
    }

    FakeBackend *backend = nullptr;
    TFDConnection con;
    TFDQuery query;
    TDataSource source;
    TzkDBGridV *grid = nullptr;
};

// Answers the next modal message box with `id`, keeping its text.
inline void AnswerMessage(int id, QString *text)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, id, text] {
        QWidget *w = QApplication::activeModalWidget();
        if ((!w || !w->isVisible()) && ++*ticks < 1000)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *dialog = qobject_cast<QDialog *>(w)) {
            if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("Message")))
                *text = label->text();
            dialog->done(id);
        }
    });
    timer->start();
}
