// The "Key Assignment" page: the short-press functions of the radio's side
// key and function key. Each list shows the first function whose code the
// model holds and, when left, stores the code of the function whose text it
// shows, looked up in the side key's list (the longer of the two).
#pragma once

#include "codeplug/optionedit.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;

namespace t880 {

class ChangeMark;
class Document;

class KeyPage : public QWidget
{
    Q_OBJECT
public:
    /// The page over \a document's key settings; every write goes through it.
    KeyPage(Document &document, QWidget *parent = nullptr);

    /// Rebuilds both lists from the window's key-function lists in the
    /// current language and shows the model.
    void applyLanguage();
    /// Writes back a key whose list the user changed since the model was
    /// last shown, as leaving the list does.
    void commit();
    /// Marks a key whose function differs from the codeplug as last opened,
    /// read, saved or made new.
    void showChanges();
    /// Fills the two key-function lists from the current language (at the
    /// start of every language change, before applyLanguage()).
    void BuildKeyFunctionLists();

    QLabel *sKey_1_Short, *sKey_2_Short;
    QComboBox *cbKey_1_Short, *cbKey_2_Short;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void commitKey(QComboBox *box);

    Document &m_doc;
    /// Key-function lists A (side key) and B (function key).
    std::vector<optionedit::KeyFunction> m_keyFunctionsA;
    std::vector<optionedit::KeyFunction> m_keyFunctionsB;
    int m_shown[2] = {-1, -1}; ///< the items selected when the model was last shown
    ChangeMark *m_marks[2] = {nullptr, nullptr};
};

} // namespace t880
