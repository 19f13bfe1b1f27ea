// Batch Set: the channels to fill, the first receive frequency and the step
// between channels. The dialog only reads the values; OK with values that do
// not read says so and keeps the dialog open.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace t880 {

class Document;

class TBatchSetDlg : public QDialog
{
    Q_OBJECT
public:
    TBatchSetDlg(const Document &state, QWidget *parent);

    void setChannels(int first, int last);
    int startChannel() const;
    int endChannel() const;
    /// Valid once the dialog was accepted.
    qint64 startHz() const { return m_startHz; }
    qint64 stepHz() const { return m_stepHz; }

    QLabel *lbStartCh;
    QLabel *lbEndCh;
    QLabel *lbStartFreq;
    QLabel *lbStep;
    QSpinBox *seStartCh;
    QSpinBox *seEndCh;
    QLineEdit *edStartFreq;
    QLineEdit *edStep;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    void tryAccept();

    const Document &m_state;
    qint64 m_startHz = 0;
    qint64 m_stepHz = 0;
};

} // namespace t880
