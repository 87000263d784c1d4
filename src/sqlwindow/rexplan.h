#pragma once

#include <QWidget>

#include <vector>

class QFrame;
class QHeaderView;
class QStyleOptionViewItem;
class QToolBar;
class QToolButton;
class TFDQuery;
class TzkTreeNode;
class TzkTreeView;

// The estimated execution plan of one SQL text as a tree with columns, for
// the SQL window and the view editor. The plan comes from the session's
// SHOWPLAN_ALL mode: on, the text opened (the server answers with plan rows
// instead of running it), off again. Both queries take the hosting window's
// connection (TzkForm binds every query of the window, frames included).
//
//   fraExplan->SetSQL(text);
//   if (fraExplan->qryData->Params().Count() == 0)   // no bind variables
//       fraExplan->ShowData();
class TfraExplan : public QWidget
{
    Q_OBJECT
public:
    explicit TfraExplan(QWidget *AOwner = nullptr);
    ~TfraExplan() override;

    // The statement text last given to SetSQL, as lines each ended by CR LF.
    QString SQL() const { return FSQL; }
    // Gives the frame its text. qryData holds it, with a parameter for each
    // ":name" marker unless the text begins with "CREATE" (upper-cased, not
    // trimmed), so callers can read its bind variables.
    void SetSQL(const QString &Text);
    void ShowData();
    // Fills the tree from the server's plan. The session's plan mode is
    // switched off before it returns, whatever happened; until then the
    // session runs nothing else and a lost link is not replaced. A refused
    // plan mode is a warning; any other failure reaches the caller with an
    // empty tree.
    void ShowPlan();

    // The plan as text on the clipboard and as a workbook.
    void btnCopyClick();
    void btnExcelClick();

    // The section captions of the tree's header, in order.
    static const QStringList &PlanCaptions();

    QToolBar *tolLeft = nullptr;
    QToolButton *btnExcel = nullptr;
    QToolButton *btnCopy = nullptr;
    QWidget *pnlBody = nullptr;
    QFrame *spl1 = nullptr;
    QWidget *pnlPlan = nullptr;
    QHeaderView *hedPlan = nullptr;
    TzkTreeView *lstPlan = nullptr;
    TFDQuery *qryData = nullptr;
    TFDQuery *qryPlan = nullptr;

private:
    void readPlan();
    void addPlanRow(double &baseCost);
    std::vector<TzkTreeNode *> treeOrder() const;
    void lstPlanAdvancedCustomDrawItem(QStyleOptionViewItem &option, TzkTreeNode *node);
    void lstPlanDblClick();

    QString FSQL;
    // The nodes in the order they were added: the parent search runs back
    // from the last.
    std::vector<TzkTreeNode *> m_added;
};
