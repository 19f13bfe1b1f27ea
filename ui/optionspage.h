// The "Optional Features" page: squelch level, time-out, time-out alert,
// voice prompts, key beep, battery saving, and the DTMF group (the radio's
// identity code and the remote kill, stun and revive codes). Every control
// shows the model after applyLanguage() and writes its one field back when
// it loses the focus; what a value becomes is decided by the core's option
// rules.
#pragma once

#include "codeplug/optionedit.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace t880 {

class ChangeMark;
class Document;

class OptionsPage : public QWidget
{
    Q_OBJECT
public:
    /// The page over \a document's settings; every write goes through it.
    OptionsPage(Document &document, QWidget *parent = nullptr);

    /// Rebuilds every list in the current language and shows the model.
    void applyLanguage();
    /// Writes back every control the user changed since the model was last
    /// shown, as leaving each of them does (before Read, Write, Save and a
    /// language change). A control left as it was shown writes nothing, so a
    /// model changed by other means is never overwritten by a stale control.
    void commit();
    /// Marks each control whose setting differs from the codeplug as last
    /// opened, read, saved or made new.
    void showChanges();

    QLabel *sSQL, *sTOT, *sTOA, *sVoice, *sSaving_Rate;
    QComboBox *cbSQL, *cbTOT, *cbTOA, *cbVoice, *cbSaving_Rate;
    QCheckBox *cBeep, *cSaving;

    QGroupBox *gbDtmf;
    QLabel *sDtmf; ///< the group's caption, inside its frame
    QLabel *sDizzyState, *sDizzy, *sStun, *sActivation, *sANI;
    QComboBox *cbDizzyState;
    QLineEdit *eDizzy, *eStun, *eActivation, *eANI;
    QCheckBox *cD_SideTone, *cSendANI;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct ListControl
    {
        QComboBox *box;
        QLabel *label;
        optionedit::OptionList list;
        int textNumber;
        int tipNumber;
        int shown = -1; ///< the item selected when the model was last shown
        ChangeMark *mark = nullptr;
    };
    struct CheckControl
    {
        QCheckBox *box;
        optionedit::OptionCheck check;
        int textNumber;
        int tipNumber;
        bool shown = false;
        ChangeMark *mark = nullptr;
    };
    struct CodeControl
    {
        QLineEdit *edit;
        QLabel *label;
        CodeField field;
        int textNumber;
        int tipNumber;
        QString shown{};
        ChangeMark *mark = nullptr;
    };

    void commitControl(QObject *control);
    void commitList(ListControl &c);
    void commitCheck(CheckControl &c);
    void commitCode(CodeControl &c);
    void onCodeEdited(QLineEdit *edit);
    bool filterCodeKey(QLineEdit *edit, class QKeyEvent *event);

    Document &m_doc;
    std::array<ListControl, 6> m_lists;
    std::array<CheckControl, 4> m_checks;
    std::array<CodeControl, 4> m_codes;
    int m_codeWidth = 0; ///< ten digits and the caret
};

} // namespace t880
