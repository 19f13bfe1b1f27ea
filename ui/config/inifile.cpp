#include "ui/config/inifile.h"

namespace t880 {

namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// Names are compared as Windows compares them in INI files: letter case
// aside. Different lengths are told apart before any letter is looked at.
bool sameName(const QString &a, const QString &b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// A value is one line: a line break in it would make the rest of the value
// a line of its own, perhaps a key or a section, the next time it is read.
QString oneLine(QString value)
{
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

IniFile IniFile::parse(const QByteArray &text)
{
    IniFile ini;
    qsizetype pos = 0;
    if (text.startsWith(kBom)) {
        ini.m_bom = true;
        pos = kBom.size();
    }
    bool endingSeen = false;
    QString section;
    // Blank lines, comments and garbage in a row are kept as one line:
    // nothing is ever inserted between them, and a file of nothing but
    // newlines would otherwise cost far more memory than it has bytes.
    qsizetype runStart = -1;
    qsizetype runEnd = 0;
    bool runJoined = false;
    const auto closeRun = [&] {
        if (runJoined) {
            Line &run = ini.m_lines.back();
            run.raw = text.mid(runStart, runEnd - runStart);
            run.text = QString::fromUtf8(run.raw);
        }
        runStart = -1;
        runJoined = false;
    };
    while (pos < text.size()) {
        const qsizetype start = pos;
        const qsizetype newline = text.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? text.size() : newline;
        qsizetype contentEnd = end;
        Line line;
        if (newline >= 0) {
            const bool crlf = end > pos && text.at(end - 1) == '\r';
            if (crlf)
                --contentEnd;
            line.ending = crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            // Lines added later follow the first line's ending: a file mixing
            // both is rare enough that any choice is as good.
            if (!endingSeen) {
                ini.m_crlf = crlf;
                endingSeen = true;
            }
        }
        line.raw = text.mid(pos, contentEnd - pos);
        pos = newline < 0 ? text.size() : newline + 1;
        classify(line, section);
        if (line.kind != Line::Kind::Other) {
            closeRun();
        } else if (runStart >= 0) {
            ini.m_lines.back().ending = line.ending;
            runEnd = contentEnd;
            runJoined = true;
            continue;
        } else {
            runStart = start;
            runEnd = contentEnd;
        }
        ini.m_lines.push_back(std::move(line));
    }
    closeRun();
    return ini;
}

void IniFile::classify(Line &line, QString &currentSection)
{
    line.text = QString::fromUtf8(line.raw);
    line.kind = Line::Kind::Other;
    line.section = currentSection;
    const QString trimmed = line.text.trimmed();
    if (trimmed.isEmpty() || isComment(trimmed)) {
        // Blank lines and comments are kept as they are.
    } else if (trimmed.startsWith(u'[')) {
        // Without its closing bracket the line is not taken for a header,
        // so the keys after it stay in the section they were in.
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Kind::Section;
            line.section = trimmed.mid(1, close - 1).trimmed();
            currentSection = line.section;
        }
    } else {
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals > 0) {
            line.kind = Line::Kind::Key;
            line.key = trimmed.left(equals).trimmed();
            line.value = trimmed.mid(equals + 1).trimmed();
        }
    }
}

QByteArray IniFile::serialize() const
{
    QByteArray out;
    if (m_bom)
        out += kBom;
    for (const Line &line : m_lines) {
        out += line.raw;
        out += line.ending;
    }
    return out;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    for (const Line &line : m_lines) {
        if (line.kind == Line::Kind::Key && sameName(line.key, keyName) &&
            sameName(line.section, sectionName))
            return line.value;
    }
    return std::nullopt;
}

bool IniFile::hasSection(const QString &section) const
{
    const QString sectionName = section.trimmed();
    for (const Line &line : m_lines) {
        if (line.kind == Line::Kind::Section && sameName(line.section, sectionName))
            return true;
    }
    return false;
}

QStringList IniFile::keys(const QString &section) const
{
    const QString sectionName = section.trimmed();
    QStringList out;
    for (const Line &line : m_lines) {
        if (line.kind == Line::Kind::Key && sameName(line.section, sectionName))
            out << line.key;
    }
    return out;
}

bool IniFile::endsWithBlankLine() const
{
    const QString &last = m_lines.back().text;
    return QStringView(last).mid(last.lastIndexOf(u'\n') + 1).trimmed().isEmpty();
}

QByteArray IniFile::lineEnding() const
{
    return m_crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

void IniFile::insertLine(std::size_t index, const QString &text)
{
    // Only the last line can lack an ending; a line after it needs one.
    if (index > 0 && m_lines[index - 1].ending.isEmpty())
        m_lines[index - 1].ending = lineEnding();
    QString section = index > 0 ? m_lines[index - 1].section : QString();
    Line line;
    line.raw = text.toUtf8();
    line.ending = lineEnding();
    classify(line, section);
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(index), std::move(line));
}

void IniFile::replaceValue(Line &line, const QString &value)
{
    // Everything but the value stays as the user typed it, blanks included.
    const qsizetype equals = line.text.indexOf(u'=');
    const QString head = line.text.left(equals + 1);
    const QString rest = line.text.mid(equals + 1);
    qsizetype lead = 0;
    while (lead < rest.size() && rest.at(lead).isSpace())
        ++lead;
    qsizetype trail = rest.size();
    while (trail > lead && rest.at(trail - 1).isSpace())
        --trail;
    // An empty value has no place of its own: it goes right after the '='.
    line.text =
        lead < rest.size() ? head + rest.left(lead) + value + rest.mid(trail) : head + value;
    line.raw = line.text.toUtf8();
    line.value = value.trimmed();
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    const QString text = keyName + u'=' + oneLine(value);

    for (Line &line : m_lines) {
        if (line.kind == Line::Kind::Key && sameName(line.key, keyName) &&
            sameName(line.section, sectionName)) {
            replaceValue(line, oneLine(value));
            return;
        }
    }

    // Keys before the first header belong to the unnamed section.
    std::size_t start = 0;
    bool found = sectionName.isEmpty();
    for (std::size_t i = 0; !found && i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section && sameName(m_lines[i].section, sectionName)) {
            start = i + 1;
            found = true;
        }
    }
    if (found) {
        // After the section's last key, so that the blank line and comments
        // that lead into the next section stay with it.
        std::size_t at = start;
        for (std::size_t i = start; i < m_lines.size() && m_lines[i].kind != Line::Kind::Section;
             ++i) {
            if (m_lines[i].kind == Line::Kind::Key)
                at = i + 1;
        }
        insertLine(at, text);
        return;
    }

    if (!m_lines.empty() && !endsWithBlankLine())
        insertLine(m_lines.size(), QString());
    insertLine(m_lines.size(), u'[' + sectionName + u']');
    insertLine(m_lines.size(), text);
}

} // namespace t880
