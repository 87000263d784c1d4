#include "core/zkimagelist.h"

QIcon TzkImageList::Icon(int index) const
{
    return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon();
}

void TzkImageList::SetIcon(int index, const QIcon &icon)
{
    if (index < 0)
        return;
    if (index >= m_icons.size())
        m_icons.resize(index + 1);
    m_icons[index] = icon;
}
