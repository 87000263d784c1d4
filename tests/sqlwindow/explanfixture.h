#pragma once

#include "controls/zkcomctrls.h"
#include "core/modal.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"
#include "sqlwindow/rexplan.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "[\n  " << l.join(QStringLiteral("\n  ")).toStdString() << "\n]";
}

// The main window's progress services as the frame uses them; it can press
// ESC in the active window when the progress reaches a given count.
class ProgressMainForm : public IzkMainForm
{
public:
    ProgressMainForm()
    {
        // The frame's two button images, as the main window's list has them.
        for (int i : {21, 44})
            images.SetIcon(i, QIcon(QStringLiteral(ZK_SOURCE_DIR "/src/mainwindow/images/16/%1.png").arg(i)));
    }
    QMainWindow *Window() override { return nullptr; }
    QMdiArea *MDIClient() const override { return nullptr; }
    QComboBox *cmbDBName() const override { return nullptr; }
    TzkTaskBar *pagTaskBar() const override { return nullptr; }
    TzkStatusBar *stsMain() const override { return nullptr; }
    TzkImageList *imgMain() const override { return &images; }
    QMenu *popEditor() const override { return nullptr; }
    TzkConnectionWindow *CurrentForm() const override { return nullptr; }
    void MenuUpdate() override {}
    void cmbDBNameChange() override {}
    void SetDefMessage() override { ++defMessages; }
    void SetLoopMessage(int NowCount, int MaxCount) override
    {
        loops << QStringLiteral("%1/%2").arg(NowCount).arg(MaxCount);
        if (NowCount == escapeAt) {
            QWidget *active = QApplication::activeWindow();
            QCoreApplication::postEvent(active, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            QCoreApplication::postEvent(active, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
        }
    }
    void ShowWorkSpace(TzkConnectionWindow *) override {}
    QWidget *FindWindow(const QMetaObject &, const QString &, bool) override { return nullptr; }

    mutable TzkImageList images;
    QStringList loops;
    int defMessages = 0;
    int escapeAt = -1;
};

// The frame's tree as lines: the node's indented text, then its sub-items
// (node id included), separated by "|".
inline QStringList TreeLines(const TzkTreeView *tree)
{
    QStringList lines;
    std::function<void(const TzkTreeNode *)> visit = [&](const TzkTreeNode *node) {
        lines << QString(2 * node->Level(), QLatin1Char(' ')) + node->Text() + QLatin1Char('|')
                     + node->SubItems().join(QLatin1Char('|'));
        for (int i = 0; i < node->Count(); ++i)
            visit(node->Item(i));
    };
    for (int i = 0; i < tree->TopCount(); ++i)
        visit(tree->TopItem(i));
    return lines;
}

// The text of the next message box, which is then closed.
inline void CaptureMessage(QString *text)
{
    WhenModal([text](QWidget *box) {
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("Message")))
            *text = label->text();
        box->close();
    });
}

// The frame in a window of its own, its queries on `con`, as a hosting
// window binds them.
class ExplanFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = zkOption;
        zkMainForm = &mainForm;
        host = std::make_unique<QWidget>();
        host->resize(760, 300);
        frame = new TfraExplan(host.get());
        auto *layout = new QVBoxLayout(host.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(frame);
    }
    void TearDown() override
    {
        host.reset();
        zkMainForm = nullptr;
        zkOption = saved;
    }
    void bind(TFDConnection *connection)
    {
        for (TFDQuery *query : frame->findChildren<TFDQuery *>())
            query->SetConnection(connection);
    }
    void showActive()
    {
        host->show();
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    }

    ProgressMainForm mainForm;
    std::unique_ptr<QWidget> host;
    TfraExplan *frame = nullptr;
    TzkOption saved;
};
