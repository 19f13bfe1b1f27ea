// Undo and redo of every change to the codeplug. Each step keeps the whole
// block before and after it (under 3 KiB each), so any change, however it
// was made (a cell, a list, a dialog, New, Open, a read, a paste), is undone
// exactly, bytes the window never shows included. A step is recorded once
// the change is in the model; its name says what changed, worked out from
// the difference when the caller gives none. Names are kept as text numbers
// and put into words when shown, so they follow a change of language.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>

namespace t880 {

namespace text {
class TAppLang;
}

/// What an undo step is called.
struct StepName
{
    /// Named after what changed ("Edit CH05 RX Freq.").
    StepName() = default;
    /// The command of main-table text \a text (without its accelerator and
    /// "..."), its %1 filled with text \a argument, then \a detail, the
    /// user's own words such as a file's name.
    explicit StepName(int text, int argument = -1, QString detail = QString())
        : text(text), argument(argument), detail(std::move(detail))
    {}

    int text = -1;
    int argument = -1;
    QString detail;
};

class UndoHistory : public QObject
{
    Q_OBJECT
public:
    /// The history of \a codeplug (which must outlive it); \a refresh shows
    /// the model again after an undo or redo.
    UndoHistory(CodeplugData &codeplug, const text::TAppLang &lang, std::function<void()> refresh,
                QObject *parent = nullptr);
    ~UndoHistory() override;

    /// Records what changed since the last step as a step of its own, named
    /// \a name. Nothing is recorded when nothing changed.
    void record(const StepName &name = StepName());

    QUndoStack *stack() { return &m_stack; }
    /// The names of the step Undo and Redo would take, in the language of
    /// the moment; empty when there is none.
    QString undoName() const;
    QString redoName() const;

    /// The step name for the change from \a before to \a after.
    static QString describe(const CodeplugData &before, const CodeplugData &after,
                            const text::TAppLang &lang);
    /// \a name in words of \a lang, for the change from \a before to \a after.
    static QString nameText(const StepName &name, const QByteArray &before, const QByteArray &after,
                            const text::TAppLang &lang);

private:
    class Step;

    void restore(const QByteArray &bytes);
    QString nameOf(int index) const;

    CodeplugData &m_codeplug;
    const text::TAppLang &m_lang;
    std::function<void()> m_refresh;
    QByteArray m_last; ///< the model as the last step left it
    QUndoStack m_stack;
};

} // namespace t880
