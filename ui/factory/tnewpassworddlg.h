// A new password for the radio, typed twice: written into the radio at once
// (Write), or kept for every later codeplug write while the check box says so.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace t880 {

class Document;

class TNewPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    TNewPasswordDlg(Document &state, QWidget *parent);

    QLabel *sInput;
    QLabel *sSureInput;
    QLineEdit *eInput;
    QLineEdit *eSureInput;
    QCheckBox *cbWriteWithNewPD;
    QPushButton *bWrite;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OKBtnClick();
    void bWriteClick();
    void cbWriteWithNewPDExit();
    /// Takes the entries as the new password when they agree; otherwise
    /// says so and changes nothing.
    bool takeNewPassword();
    void showMessage(const QString &text);

    Document &m_state;
};

} // namespace t880
