// Undo and redo of every change to the codeplug. Each step keeps the whole
// block before and after it (under 3 KiB each), so any change, however it
// was made (a cell, a list, a dialog, New, Open, a read, a paste), is undone
// exactly, bytes the window never shows included. A step is recorded once
// the change is in the model; its name says what changed, worked out from
// the difference when the caller gives none.
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
    /// \a name, or, when empty, after what changed ("Edit CH05 RX Freq.").
    /// Nothing is recorded when nothing changed.
    void record(const QString &name = QString());

    QUndoStack *stack() { return &m_stack; }

    /// The step name for the change from \a before to \a after.
    static QString describe(const CodeplugData &before, const CodeplugData &after,
                            const text::TAppLang &lang);

private:
    class Step;

    void restore(const QByteArray &bytes);

    CodeplugData &m_codeplug;
    const text::TAppLang &m_lang;
    std::function<void()> m_refresh;
    QByteArray m_last; ///< the model as the last step left it
    QUndoStack m_stack;
};

} // namespace t880
