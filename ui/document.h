// What the window works on, in one object that the main window is given and
// hands by reference to its pages and dialogs: the programming state
// (codeplug, image, calibration) with the baseline the changed-cell marks
// compare with, the undo history and what the title and the recovery copy
// track; the configuration of the run and the language. Every change of the
// codeplug goes through one of its intent methods, which keep that
// bookkeeping in one order, and it says what changed so that the views can
// follow. No globals; every test makes a fresh one.
#pragma once

#include "link/programstate.h"
#include "link/serialtrace.h"
#include "text/applang.h"
#include "ui/config/appconfig.h"
#include "ui/undohistory.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace t880 {

class DocumentTracker;

/// Where a codeplug that takes the window's place came from.
struct Origin
{
    enum class Kind { New, File, Radio, Backup, Recovery };

    static Origin newDefaults() { return {Kind::New, {}, {}, {}}; }
    static Origin file(const QString &path) { return {Kind::File, path, {}, {}}; }
    /// A read from the radio on \a port (as the user names it) at \a when.
    static Origin radio(const QString &port, const QDateTime &when)
    {
        return {Kind::Radio, {}, port, when};
    }
    /// A backup of the radio on \a port, taken at \a when (local time).
    static Origin backup(const QString &port, const QDateTime &when)
    {
        return {Kind::Backup, {}, port, when};
    }
    /// A recovery copy that a run which did not end normally left behind.
    static Origin recovery() { return {Kind::Recovery, {}, {}, {}}; }

    Kind kind = Kind::New;
    QString path;
    QString port;
    QDateTime when;
};

class Document : public QObject
{
    Q_OBJECT
public:
    /// A fresh programming state, as at program start; it starts clean,
    /// with the codeplug as its baseline.
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    ProgramState &program();
    const ProgramState &program() const;
    const CodeplugData &codeplug() const;
    /// The codeplug as last opened, read, saved or made new.
    const CodeplugData &baseline() const;

    /// The codeplug of \a codeplug replaces the window's (Open, a backup, a
    /// recovery copy): one undo step, the new origin, the new baseline
    /// (not for a recovery copy, which holds unsaved changes), then
    /// codeplugReplaced().
    void replace(const CodeplugData &codeplug, const Origin &origin);
    /// As above for a whole programming state (New, a read from the radio).
    void replace(const ProgramState &program, const Origin &origin);
    /// Applies \a change to the programming state as one undo step named
    /// \a name, then says what changed.
    void edit(const StepName &name, const std::function<void(ProgramState &)> &change);
    /// The model was changed in place (an editor, a dialog): what changed
    /// since the last step becomes an unnamed step of its own.
    void touched();
    /// Records the change made since the last step as a step named \a name.
    void recordStep(const StepName &name);
    /// The codeplug was just saved to \a path: it is the new baseline.
    void markSaved(const QString &path);
    /// The codeplug was just written into a radio: nothing is left unsaved.
    void markWritten();
    /// As above, with the programming state the write left behind (its
    /// programming date, the radio's kind).
    void markWritten(const ProgramState &written);
    /// The programming state a transfer other than a codeplug read or write
    /// left behind (the calibration, the transceiver status, a new password)
    /// becomes the document's, as it stands: no step, no signal. A caller
    /// whose transfer changed the codeplug records that as a step.
    void adopt(const ProgramState &program);

    /// Port, Language, AutoSeachPort, band table, selected band, grid sizes,
    /// application names and port bindings, as read at start and written at
    /// the end of the run.
    AppConfig &config() { return m_config; }
    const AppConfig &config() const { return m_config; }
    /// Where the configuration is read from and written to.
    QString configPath() const { return m_configPath; }
    void setConfigPath(const QString &path) { m_configPath = path; }

    text::TAppLang &lang() { return m_lang; }
    const text::TAppLang &lang() const { return m_lang; }
    /// Entry \a n of the main text table in the current language.
    QString langText(int n) const { return m_lang.text(text::TextTable::Main, n); }
    QString tableText(text::TextTable table, int n) const { return m_lang.text(table, n); }
    /// Points the text conversion at the configured language choice.
    void selectLanguage();

    /// What went over the line in the last transfer the programming dialog
    /// ran, for File > Save serial trace; none before the first.
    std::optional<link::SerialTrace> &lastTrace() { return m_lastTrace; }
    const std::optional<link::SerialTrace> &lastTrace() const { return m_lastTrace; }

    bool isModified() const;
    /// The file the codeplug was last opened from or saved to; empty when it
    /// came from a radio or New.
    QString currentFile() const;

    UndoHistory &history() { return *m_history; }
    DocumentTracker &tracker() { return *m_tracker; }

signals:
    /// The whole codeplug changed (New, Open, a read, a backup, a recovery
    /// copy, an undo or redo step): every view shows it again.
    void codeplugReplaced();
    /// Channels \a first..\a last (1..16) changed through edit().
    void channelsChanged(int first, int last);
    /// A value outside the channels changed through edit().
    void settingsChanged();
    /// The codeplug's baseline moved (a save): the changed-cell marks follow.
    void baselineChanged();
    void modifiedChanged(bool modified);
    /// The text conversion now follows another language.
    void languageChanged();

private:
    void announce(const CodeplugData &before);

    ProgramState m_program;
    CodeplugData m_baseline;
    AppConfig m_config;
    QString m_configPath;
    text::TAppLang m_lang;
    std::optional<link::SerialTrace> m_lastTrace;
    DocumentTracker *m_tracker = nullptr;
    UndoHistory *m_history = nullptr;
};

} // namespace t880
