#pragma once

#include <QTabBar>

// The main window's task bar: one tab per window, told apart by its tag (the
// window's FormID), with an image of the main image list, a caption and the
// window's caption as hint.
class TzkTaskBar : public QTabBar
{
    Q_OBJECT
public:
    explicit TzkTaskBar(QWidget *parent = nullptr);

    // Appends a tab and makes it the active one; returns its index.
    int AddTab(int tag, const QString &caption, const QString &hint, int imageIndex);
    // The first tab with the tag (searching from the last when `fromLast`);
    // -1 when none.
    int IndexOfTag(int tag, bool fromLast = false) const;
    int Tag(int index) const;
    int ImageIndex(int index) const;
    void SetImageIndex(int index, int imageIndex);
    // Removes the tab with the tag, searched from the last; false when none.
    bool RemoveTag(int tag);

protected:
    // Each tab in its window's connection colours (button colours for an
    // unknown one); the active tab framed dotted with a bold caption.
    void paintEvent(QPaintEvent *event) override;
    // Room for the icon and the caption in bold.
    QSize tabSizeHint(int index) const override;
};
