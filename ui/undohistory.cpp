#include "ui/undohistory.h"

#include "codeplug/codeplugdiff.h"
#include "text/applang.h"
#include "text/menucaption.h"
#include "text/textnames.h"

#include <QUndoCommand>

#include <set>

namespace t880 {

namespace {

CodeplugData codeplugOf(const QByteArray &bytes)
{
    CodeplugData c;
    c.replaceLeading(bytes);
    return c;
}

} // namespace

// One step: the block before and after it.
class UndoHistory::Step : public QUndoCommand
{
public:
    Step(UndoHistory &history, QByteArray before, QByteArray after, StepName name)
        : m_history(history), m_before(std::move(before)), m_after(std::move(after)),
          m_name(std::move(name))
    {}

    QString name(const text::TAppLang &lang) const
    {
        return nameText(m_name, m_before, m_after, lang);
    }

    void undo() override { m_history.restore(m_before); }
    void redo() override
    {
        // The change is already in the model when the step is recorded.
        if (m_done)
            m_history.restore(m_after);
        m_done = true;
    }

private:
    UndoHistory &m_history;
    const QByteArray m_before;
    const QByteArray m_after;
    const StepName m_name;
    bool m_done = false;
};

UndoHistory::UndoHistory(CodeplugData &codeplug, const text::TAppLang &lang,
                         std::function<void()> refresh, QObject *parent)
    : QObject(parent), m_codeplug(codeplug), m_lang(lang), m_refresh(std::move(refresh)),
      m_last(codeplug.toByteArray())
{}

UndoHistory::~UndoHistory()
{
    // Steps refer to this history; they go first, silently (the window that
    // listens may already be half gone).
    m_stack.blockSignals(true);
    m_stack.clear();
}

void UndoHistory::record(const StepName &name)
{
    const QByteArray now = m_codeplug.toByteArray();
    if (now == m_last)
        return;
    QByteArray before = m_last;
    m_last = now;
    // The step's name is put into words only when shown (undoName()).
    m_stack.push(new Step(*this, std::move(before), now, name));
}

QString UndoHistory::undoName() const
{
    return nameOf(m_stack.index() - 1);
}

QString UndoHistory::redoName() const
{
    return nameOf(m_stack.index());
}

QString UndoHistory::nameOf(int index) const
{
    if (index < 0 || index >= m_stack.count())
        return QString();
    return static_cast<const Step *>(m_stack.command(index))->name(m_lang);
}

void UndoHistory::restore(const QByteArray &bytes)
{
    m_codeplug.replaceLeading(bytes);
    m_last = bytes;
    if (m_refresh)
        m_refresh();
}

QString UndoHistory::describe(const CodeplugData &before, const CodeplugData &after,
                              const text::TAppLang &lang)
{
    const std::vector<DiffEntry> entries = diffCodeplugs(before, after);
    const QString edit = lang.text(text::TextTable::Main, text::MainText::EditStep);
    if (entries.empty())
        return edit.arg(QString());
    std::set<int> channels;
    std::set<QString> labels;
    for (const DiffEntry &e : entries) {
        channels.insert(e.channel);
        labels.insert(diffField(e, lang));
    }
    const int channel = *channels.begin();
    // Within one channel the first field that changed is the one the user
    // edited: the rest follow from it (a new channel's defaults, the
    // squelch mode that follows a tone).
    if (channels.size() == 1 && channel > 0)
        return edit.arg(diffField(entries.front(), lang));
    if (channels.size() == 1 && labels.size() == 1)
        return edit.arg(*labels.begin());
    return lang.text(text::TextTable::Main, text::MainText::EditSeveralStep);
}

QString UndoHistory::nameText(const StepName &name, const QByteArray &before,
                              const QByteArray &after, const text::TAppLang &lang)
{
    if (name.text < 0)
        return describe(codeplugOf(before), codeplugOf(after), lang);
    QString command = text::menuCaption(lang.text(text::TextTable::Main, name.text));
    if (name.argument >= 0)
        command = command.arg(lang.text(text::TextTable::Main, name.argument));
    return name.detail.isEmpty() ? command : command + u' ' + name.detail;
}

} // namespace t880
