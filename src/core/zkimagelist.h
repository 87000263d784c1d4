#pragma once

#include <QIcon>
#include <QList>

// A list of images by index, as the windows share them: an object-kind code
// is also the index of its kind's image. Indexes without an image give a
// null icon.
class TzkImageList
{
public:
    int Count() const { return int(m_icons.size()); }
    QIcon Icon(int index) const;
    void SetIcon(int index, const QIcon &icon);
    bool HasImage(int index) const { return !Icon(index).isNull(); }

private:
    QList<QIcon> m_icons;
};
