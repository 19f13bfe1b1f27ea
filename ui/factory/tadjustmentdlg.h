// The factory calibration dialog: every value of the calibration record in
// an edit field built from the field table, the squelch offsets, the
// transceiver status, and the commands that reset, load, save, read and
// write the record. Edits go straight into the record, which outlives the
// dialog; nothing reaches the radio before Write.
#pragma once

#include <QDialog>
#include <QHash>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace t880 {

namespace link {
enum class OpCode : int;
}

struct CalibrationEdit;
struct FileResult;
class OffsetSpinBox;
class Document;

class TAdjustmentDlg : public QDialog
{
    Q_OBJECT
public:
    /// \a writeCodeplug is the main window's Write to radio, run by "...".
    TAdjustmentDlg(Document &state, std::function<void()> writeCodeplug, QWidget *parent);

    /// The edit field or read-only text named \a control, or nullptr.
    QLineEdit *field(const QString &control) const { return m_fields.value(control); }
    QSpinBox *squelchOffset(int k) const;

    /// Shows every value of the record.
    void display();
    /// Opens or saves a calibration file; a failure is reported and changes
    /// nothing. Return true on success.
    bool openCalibration(const QString &path);
    bool saveCalibration(const QString &path);

    QCheckBox *cModu_dten = nullptr;
    QCheckBox *cPkdet_dten = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QPushButton *bNew = nullptr;
    QPushButton *bOpen = nullptr;
    QPushButton *bSave = nullptr;
    QPushButton *bWrite = nullptr;
    QPushButton *bRead = nullptr;
    QPushButton *Read1846Status = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *bAssistant = nullptr; ///< kept hidden
    QPushButton *bApcTune = nullptr;   ///< kept hidden
    QPushButton *OKBtn = nullptr;      ///< kept hidden; the close box closes

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildPointsGroup();
    QWidget *buildChipGroup();
    QWidget *buildLevelsGroup();
    QWidget *buildThresholdGroup();
    QWidget *buildOffsetGroup();
    QWidget *buildStatusGroup();
    QWidget *buildMemo();
    QLayout *buildButtons();
    void buildHiddenFields();

    QLineEdit *makeEdit(const QString &control);
    QLineEdit *makeStatus(const QString &control, int nameText);
    QPushButton *makeButton(const char *name, const QString &caption, int hintText);
    void describe(QWidget *w, const QString &control, const QString &name, int minimum,
                  int maximum);

    void EditChangeCommonFun(QLineEdit *edit, int digits);
    void commitField(QLineEdit *edit);
    void commitFocusedField();
    void revertFocusedField();
    void showValue(QLineEdit *edit);
    void udSQ_offsetClick(int k, int position);

    void bNewClick();
    void bOpenClick();
    void bSaveClick();
    void bWriteClick();
    void bReadClick();
    void Read1846StatusClick();
    void Button1Click();
    bool runTransfer(link::OpCode op, bool read);
    void showFileError(int headline, const QString &path, const FileResult &result);
    QString text(int n) const;

    Document &m_state;
    std::function<void()> m_writeCodeplug;
    QHash<QString, QLineEdit *> m_fields;
    QHash<QLineEdit *, const CalibrationEdit *> m_edits;
    QHash<int, OffsetSpinBox *> m_offsets;
    QHash<int, QLineEdit *> m_offsetTexts;
    QString m_lastFile;
};

} // namespace t880
