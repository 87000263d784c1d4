#include "core/zkstsbar.h"

#include <QLabel>

TzkStatusBar::TzkStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
}

int TzkStatusBar::AddPanel(int width, Qt::Alignment alignment)
{
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("Panel%1").arg(m_panels.size()));
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(width);
    // Panels before the last keep their width; the last one stretches.
    if (!m_panels.isEmpty())
        m_panels.last()->setFixedWidth(m_panels.last()->minimumWidth());
    addWidget(label, 1);
    m_panels.append(label);
    return int(m_panels.size()) - 1;
}

QString TzkStatusBar::PanelText(int index) const
{
    const QLabel *panel = Panel(index);
    return panel ? panel->text() : QString();
}

void TzkStatusBar::SetPanelText(int index, const QString &text)
{
    if (QLabel *panel = Panel(index))
        panel->setText(text);
}

QLabel *TzkStatusBar::Panel(int index) const
{
    return index >= 0 && index < m_panels.size() ? m_panels.at(index) : nullptr;
}

void TzkStatusBar::SetSimpleText(const QString &text)
{
    if (text.isEmpty())
        clearMessage();
    else
        showMessage(text);
}
