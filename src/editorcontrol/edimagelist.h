#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>

// A list of same-sized pictures, as the editor's row-mark images take them.
// The editor keeps a guarded pointer: a list that is destroyed is forgotten.
class TImageList : public QObject
{
    Q_OBJECT
public:
    explicit TImageList(QObject *Parent = nullptr);

    int Count() const { return int(m_images.size()); }
    const QPixmap &Image(int Index) const { return m_images.at(Index); }
    int Add(const QPixmap &Image);
    void Clear() { m_images.clear(); }

private:
    QList<QPixmap> m_images;
};

// The row-mark pictures an editor draws when it has no list of its own:
// ten digits of 8 x 11 pixels for the marks 0..9, six marks of 11 x 11
// pixels for the marks 10..15. Made once, on first use.
const TImageList &DefaultImageDigits();
const TImageList &DefaultImageMarks();
