#include "core/zktaskbar.h"

#include "core/zkCommonData.h"
#include "core/zkimagelist.h"
#include "core/zkwindows.h"
#include "platform/graphics/colors.h"

#include <QPainter>
#include <QPaintEvent>
#include <QPen>

namespace {
constexpr int kTagRole = 0;
constexpr int kImageRole = 1;
} // namespace

TzkTaskBar::TzkTaskBar(QWidget *parent)
    : QTabBar(parent)
{
    setShape(QTabBar::RoundedSouth);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::NoFocus);
}

int TzkTaskBar::AddTab(int tag, const QString &caption, const QString &hint, int imageIndex)
{
    const int index = addTab(caption);
    setTabData(index, QVariantList{tag, -1});
    setTabToolTip(index, hint);
    SetImageIndex(index, imageIndex);
    setCurrentIndex(index);
    return index;
}

int TzkTaskBar::IndexOfTag(int tag, bool fromLast) const
{
    const int n = count();
    for (int k = 0; k < n; ++k) {
        const int i = fromLast ? n - 1 - k : k;
        if (Tag(i) == tag)
            return i;
    }
    return -1;
}

int TzkTaskBar::Tag(int index) const
{
    const QVariantList data = tabData(index).toList();
    return data.size() > kTagRole ? data.at(kTagRole).toInt() : 0;
}

int TzkTaskBar::ImageIndex(int index) const
{
    const QVariantList data = tabData(index).toList();
    return data.size() > kImageRole ? data.at(kImageRole).toInt() : -1;
}

void TzkTaskBar::SetImageIndex(int index, int imageIndex)
{
    if (index < 0 || index >= count())
        return;
    setTabData(index, QVariantList{Tag(index), imageIndex});
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    setTabIcon(index, images && imageIndex >= 0 ? images->Icon(imageIndex) : QIcon());
}

bool TzkTaskBar::RemoveTag(int tag)
{
    const int index = IndexOfTag(tag, true);
    if (index < 0)
        return false;
    removeTab(index);
    return true;
}

void TzkTaskBar::paintEvent(QPaintEvent *event)
{
    // The registry of connections lives only while the main window does.
    if (!ConnectionManager) {
        QTabBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const int active = currentIndex();
    for (int i = 0; i < count(); ++i) {
        try {
            const QRect r = tabRect(i);
            if (!r.isValid() || !r.intersects(event->rect()))
                continue;
            const int session = ConnectionManager->GetSessionID(Tag(i));
            const QColor brush = ColorToQColor(ConnectionManager->GetBackgroundColor(session));
            const QColor text = ColorToQColor(ConnectionManager->GetForegroundColor(session));
            const QPixmap icon = tabIcon(i).pixmap(iconSize());
            const int iconWidth = icon.isNull() ? 0 : iconSize().width();
            QFont font = this->font();
            QPoint iconAt;
            QPoint textAt;
            if (i == active) {
                painter.setPen(QPen(text, 1, Qt::DotLine));
                painter.setBrush(brush);
                painter.drawRect(QRect(QPoint(r.left() + 3, r.top() + 3), QPoint(r.right() + 1 - 2, r.bottom() + 1 - 2))
                                     .adjusted(0, 0, -1, -1));
                iconAt = QPoint(r.left() + 5, r.top() + 4);
                textAt = QPoint(r.left() + iconWidth + 8, r.top() + 6);
                font.setBold(true);
            } else {
                painter.fillRect(r, brush);
                iconAt = QPoint(r.left() + 4, r.top());
                textAt = QPoint(r.left() + iconWidth + 8, r.top() + 1);
                font.setBold(false);
            }
            if (!icon.isNull())
                painter.drawPixmap(iconAt, icon);
            painter.setFont(font);
            painter.setPen(text);
            const QFontMetrics metrics(font);
            painter.drawText(textAt.x(), textAt.y() + metrics.ascent(), tabText(i));
        } catch (...) {
            // A tab that cannot be drawn stays as it was.
        }
    }
}

QSize TzkTaskBar::tabSizeHint(int index) const
{
    QFont bold = font();
    bold.setBold(true);
    const int width = iconSize().width() + 8 + QFontMetrics(bold).horizontalAdvance(tabText(index)) + 10;
    return QSize(width, std::max(QTabBar::tabSizeHint(index).height(), 22));
}
