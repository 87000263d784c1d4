#include "platform/input/inputgate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class InputGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        button = new QPushButton(QStringLiteral("実行"), &window);
        layout->addWidget(edit);
        layout->addWidget(button);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }

    void postKey(QWidget *to, int key, const QString &text = QString())
    {
        QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    }

    QWidget window;
    QLineEdit *edit = nullptr;
    QPushButton *button = nullptr;
};

// Keys and clicks that wait while a loop runs reach nobody; ESC among them
// is seen.
TEST_F(InputGateTest, SeesEscapeAndDropsOtherInput)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    postKey(edit, Qt::Key_A, QStringLiteral("a"));
    QTest::mouseClick(button, Qt::LeftButton); // delivered at once, not gated
    clicked.clear();
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    EXPECT_FALSE(PollEscapeKey());
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(clicked.count(), 0);

    postKey(edit, Qt::Key_Escape);
    EXPECT_TRUE(PollEscapeKey());
    // Seen once: the next look finds nothing new.
    EXPECT_FALSE(PollEscapeKey());
}

TEST_F(InputGateTest, EscapeForAnotherWindowDoesNotCount)
{
    QWidget other;
    InputGate gate(&window);
    postKey(&other, Qt::Key_Escape);
    gate.pump();
    EXPECT_FALSE(gate.escapePressed());
    postKey(button, Qt::Key_Escape);
    gate.pump();
    EXPECT_TRUE(gate.escapePressed());
}

TEST(InputGate, NoActiveWindowMeansNoEscape)
{
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    EXPECT_FALSE(PollEscapeKey());
}

} // namespace
