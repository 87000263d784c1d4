#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

// A status bar whose panels show only the texts the program writes into
// them: hints of actions and menu items never replace them. The last panel
// takes the remaining width.
class TzkStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    explicit TzkStatusBar(QWidget *parent = nullptr);

    // Adds a panel of the width (pixels) and alignment; returns its index.
    int AddPanel(int width, Qt::Alignment alignment);
    int PanelCount() const { return int(m_panels.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString &text);
    QLabel *Panel(int index) const;

    // The text shown across the whole bar while no panel is used.
    QString SimpleText() const { return currentMessage(); }
    void SetSimpleText(const QString &text);

private:
    QList<QLabel *> m_panels;
};
