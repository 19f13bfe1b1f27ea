// File > New from channel plan: the built-in channel plans, each with its
// description, its rules and its channels, and whether the frequency band
// in use holds it. The window makes the new codeplug from the plan chosen.
#pragma once

#include "codeplug/channelplan.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace t880 {

class Document;

class TPlanDlg : public QDialog
{
    Q_OBJECT
public:
    TPlanDlg(const Document &state, QWidget *parent);

    /// The plan chosen; null when none (or one the band does not hold).
    const plans::Plan *chosen() const;

    QListWidget *lPlans;
    QLabel *sDescription;
    QLabel *sSource; ///< region and regulation
    QLabel *sRules;
    QLabel *sBand;
    QTableWidget *tPreview;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPlan();
    /// A wrapped text gets the height it needs at the width it has.
    static void fitText(QLabel *label);
    /// Why the band in use cannot take the plan; empty when it can.
    QString bandProblem(const plans::Plan &plan) const;

    const Document &m_state;
};

} // namespace t880
