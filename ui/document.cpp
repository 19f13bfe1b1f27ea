#include "ui/document.h"

#include "text/textnames.h"
#include "ui/documenttracker.h"

#include <QFileInfo>

namespace t880 {

namespace {

StepName stepOf(const Origin &origin)
{
    switch (origin.kind) {
    case Origin::Kind::New:
        return StepName(text::MainText::FileNew);
    case Origin::Kind::File:
        return StepName(text::MainText::FileOpen, -1, QFileInfo(origin.path).fileName());
    case Origin::Kind::Radio:
        return StepName(text::MainText::EditRead);
    case Origin::Kind::Backup:
        return StepName(text::MainText::FileOpen, -1,
                        origin.when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    case Origin::Kind::Recovery:
        break;
    }
    return StepName();
}

} // namespace

Document::Document(QObject *parent) : QObject(parent)
{
    m_baseline = m_program.codeplug;
    m_tracker = new DocumentTracker(m_program.codeplug, this);
    m_history = new UndoHistory(
        m_program.codeplug, m_lang,
        [this] {
            emit codeplugReplaced();
            m_tracker->touch();
        },
        this);
    connect(m_tracker, &DocumentTracker::modifiedChanged, this, &Document::modifiedChanged);
}

Document::~Document() = default;

ProgramState &Document::program()
{
    return m_program;
}

const ProgramState &Document::program() const
{
    return m_program;
}

const CodeplugData &Document::codeplug() const
{
    return m_program.codeplug;
}

const CodeplugData &Document::baseline() const
{
    return m_baseline;
}

void Document::replace(const CodeplugData &codeplug, const Origin &origin)
{
    ProgramState program = m_program;
    program.codeplug = codeplug;
    replace(program, origin);
}

void Document::replace(const ProgramState &program, const Origin &origin)
{
    if (&program != &m_program)
        m_program = program;
    // The step first, so that it holds the change; then the origin, which
    // takes the codeplug as it now is for clean; then the baseline; the
    // views last, when there is nothing left for them to record.
    m_history->record(stepOf(origin));
    switch (origin.kind) {
    case Origin::Kind::New:
        m_tracker->setNew();
        break;
    case Origin::Kind::File:
        m_tracker->setFile(origin.path);
        break;
    case Origin::Kind::Radio:
    case Origin::Kind::Backup:
        m_tracker->setReadFromRadio(origin.port, origin.when);
        break;
    case Origin::Kind::Recovery:
        m_tracker->setRecovered();
        break;
    }
    if (origin.kind != Origin::Kind::Recovery)
        m_baseline = m_program.codeplug;
    emit codeplugReplaced();
}

void Document::edit(const StepName &name, const std::function<void(ProgramState &)> &change)
{
    const CodeplugData before = m_program.codeplug;
    change(m_program);
    recordStep(name);
    announce(before);
}

void Document::announce(const CodeplugData &before)
{
    const CodeplugData &after = m_program.codeplug;
    int first = 0;
    int last = 0;
    // The channels put back as they were: whatever still differs lies
    // outside them.
    CodeplugData rest = after;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (before.channel(n).raw != after.channel(n).raw ||
            before.isChannelUsed(n) != after.isChannelUsed(n)) {
            if (first == 0)
                first = n;
            last = n;
        }
        rest.setChannel(n, before.channel(n));
        rest.setChannelUsed(n, before.isChannelUsed(n));
    }
    if (first > 0)
        emit channelsChanged(first, last);
    if (rest.toByteArray() != before.toByteArray())
        emit settingsChanged();
}

void Document::touched()
{
    m_history->record();
    m_tracker->touch();
}

void Document::recordStep(const StepName &name)
{
    m_history->record(name);
    m_tracker->touch();
}

void Document::markSaved(const QString &path)
{
    m_tracker->setFile(path);
    m_baseline = m_program.codeplug;
    emit baselineChanged();
}

void Document::markWritten()
{
    m_tracker->setWritten();
}

void Document::markWritten(const ProgramState &written)
{
    m_program = written;
    markWritten();
}

void Document::adopt(const ProgramState &program)
{
    m_program = program;
}

void Document::selectLanguage()
{
    m_lang.applyLanguageSetting(m_config.language);
    emit languageChanged();
}

bool Document::isModified() const
{
    return m_tracker->isModified();
}

QString Document::currentFile() const
{
    return m_tracker->currentFile();
}

} // namespace t880
