// The password the user claims for the radio: every transfer checks it
// against the radio's password block before it reads or writes anything.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace t880 {

class Document;

class TSetPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    TSetPasswordDlg(Document &state, QWidget *parent);

    QLabel *sPassword;
    QLineEdit *eInput;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    void OKBtnClick();

    Document &m_state;
};

} // namespace t880
