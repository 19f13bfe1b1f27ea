// The factory access prompt: the access code, typed exactly, opens the
// calibration dialog once; anything else just closes the prompt.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace t880 {

class Document;

class TPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    /// \a openCalibration runs (modally, from OK) when the access code is
    /// right; the prompt closes after it returns.
    TPasswordDlg(const Document &state, std::function<void()> openCalibration, QWidget *parent);

    QLineEdit *eInput;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;

private:
    void OKBtnClick();

    std::function<void()> m_openCalibration;
};

} // namespace t880
