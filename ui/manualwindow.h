// The manual, in a window of the program: the text compiled into it in the
// language the window speaks, a contents list made from its headings, back
// and forward, and a search (Ctrl+F). F1 opens it: in the main window at
// the page shown, in a dialog at that dialog's section.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;
class QTreeWidget;

namespace t880 {

class Document;

class ManualWindow : public QWidget
{
    Q_OBJECT
public:
    /// Shows the manual at \a section (empty: its start) over \a from's
    /// window: the one already open there, or a new one. A manual opened
    /// over a modal dialog belongs to that dialog, so that it takes input.
    static ManualWindow *open(const Document &state, QWidget *from, const QString &section);
    /// The section of the manual about the dialog named \a objectName;
    /// empty when it has none.
    static QString sectionFor(const QString &objectName);
    /// The address of the manual in \a language folder ("en", "chs", "cht").
    static QString sourceFor(const QString &language);

    void showSection(const QString &section);

    QTreeWidget *tContents;
    QTextBrowser *tManual;
    QToolButton *bBack;
    QToolButton *bForward;
    QLineEdit *eSearch;
    QLabel *sFound;

private:
    ManualWindow(const Document &state, QWidget *parent);
    void load();
    void buildContents();
    void find(bool backward);
    QString folder() const;

    const Document &m_state;
    QString m_loaded;
};

/// Watches every key press of the application for F1 in a dialog and
/// opens the manual at that dialog's section.
class HelpKey : public QObject
{
    Q_OBJECT
public:
    HelpKey(const Document &state, QObject *parent);
    ~HelpKey() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Document &m_state;
};

} // namespace t880
