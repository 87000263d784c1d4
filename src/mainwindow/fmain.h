#pragma once

#include <QMainWindow>

class QMdiArea;

// The program's one main window: the MDI frame every other window lives in.
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    QMdiArea *MDIClient() const { return m_mdiArea; }

private:
    QMdiArea *m_mdiArea = nullptr;
};

// The main window, through which every subsystem reaches it.
extern TfrmMain *frmMain;
