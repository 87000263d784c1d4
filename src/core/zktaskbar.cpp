#include "core/zktaskbar.h"

#include "core/zkimagelist.h"
#include "core/zkwindows.h"

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
