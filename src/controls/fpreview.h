#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;

// The print preview: the recorded pages on paper, page by page, zoomed from
// 0.5 to 2; its print action goes back to the print dialog.
class TfrmPreview : public QDialog
{
    Q_OBJECT
public:
    // Shows the pages of the page recorder; true when the window was left
    // through its print action. The main window is hidden meanwhile.
    static bool ShowWindow();

    explicit TfrmPreview(QWidget *parent);
    ~TfrmPreview() override;

    int Page() const { return FPage; }
    double Rate() const { return FRate; }
    // Shows page FPage at zoom FRate and updates the actions.
    void ShowPage();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void UpdateActions();

    int FPage = 1;
    double FRate = 1.0;
    bool m_shown = false;

    QToolBar *tolCmd = nullptr;
    QScrollArea *scrPreview = nullptr;
    QLabel *imgPreview = nullptr;
    QAction *actPrint = nullptr;
    QAction *actPrevPage = nullptr;
    QAction *actNextPage = nullptr;
    QAction *actZoomUp = nullptr;
    QAction *actZoomDown = nullptr;
    QAction *actExit = nullptr;
};
