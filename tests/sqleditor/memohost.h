#pragma once

#include "sqleditor/zkmemo.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// A form with one SQL editor, shown and focused.
struct MemoHost
{
    explicit MemoHost(int Width = 640, int Height = 400)
    {
        form = std::make_unique<QWidget>();
        form->resize(Width, Height);
        auto *layout = new QVBoxLayout(form.get());
        layout->setContentsMargins(0, 0, 0, 0);
        memo = new TzkMemo(form.get());
        memo->setObjectName(QStringLiteral("txtSQL"));
        layout->addWidget(memo);
        form->show();
        QApplication::setActiveWindow(form.get());
        memo->setFocus();
        (void)QTest::qWaitForWindowActive(form.get());
    }

    TzkMemo *operator->() const { return memo; }

    void setText(const QString &Text, int Row = 0, int Col = 0)
    {
        memo->Lines()->SetTextStr(Text);
        memo->SetRowCol(Row, Col);
    }
    QString text() const { return memo->Lines()->GetTextStr(); }

    std::unique_ptr<QWidget> form;
    TzkMemo *memo = nullptr;
};

// Dialogs that answer as a test tells them and keep what they were shown.
struct StubDialogs : IzkSearchDialogs
{
    struct Answer
    {
        bool ok = true;
        QString search;
        QString replace;
        TSearchOptions options = 0;
    };
    QList<Answer> answers;
    QStringList notFound;
    int searchCalls = 0;
    int replaceCalls = 0;
    bool notFindMsg = true;
    bool research = false;

    bool ExecuteSearch(QString &SearchText, TSearchOptions &SearchOptions, bool &NotFindMsg, bool &Research) override
    {
        ++searchCalls;
        if (answers.isEmpty())
            return false;
        const Answer a = answers.takeFirst();
        if (!a.search.isNull())
            SearchText = a.search;
        SearchOptions = a.options;
        NotFindMsg = notFindMsg;
        Research = research;
        return a.ok;
    }
    bool ExecuteReplace(QString &SearchText, QString &ReplaceText, TSearchOptions &SearchOptions, bool &NotFindMsg,
                        bool &Research) override
    {
        ++replaceCalls;
        if (answers.isEmpty())
            return false;
        const Answer a = answers.takeFirst();
        if (!a.search.isNull())
            SearchText = a.search;
        ReplaceText = a.replace;
        SearchOptions = a.options | SearchOptionBit(sfrReplaceConfirm);
        NotFindMsg = notFindMsg;
        Research = research;
        return a.ok;
    }
    void ShowNotFound(const QString &Text) override { notFound.append(Text); }
};
