// A small INI reader and writer that keeps a file as its user left it:
// sections, keys and comment lines it does not know stay exactly where and
// how they were, keys keep their order and their literal spaces
// ("band-1 min"), and values it changes are changed in place. CRLF and LF
// files are read; a file is written back with the line ending it came with.
// No GUI dependency.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace t880 {

class IniFile
{
public:
    /// An empty file (no sections).
    IniFile() = default;
    /// Reads INI text (UTF-8, with or without BOM; CRLF or LF). Never fails:
    /// lines that are neither a section header, a key=value pair, a comment
    /// nor blank are kept as they are and otherwise ignored.
    static IniFile parse(const QByteArray &text);
    /// The text to write: every line as it was read, with the changes made
    /// by setValue() in place and new sections and keys appended.
    QByteArray serialize() const;

    /// The value of \a key in \a section (both matched without regard to
    /// letter case, as Windows INI files are; surrounding blanks trimmed),
    /// or nothing when the key is missing. The first occurrence counts.
    std::optional<QString> value(const QString &section, const QString &key) const;
    /// Sets \a key in \a section: replaces the value of the first occurrence
    /// in place, or appends the key at the end of the section (after its last
    /// key), creating the section at the end of the file when missing.
    void setValue(const QString &section, const QString &key, const QString &value);

    /// Whether the file has a section of that name, in any letter case.
    bool hasSection(const QString &section) const;
    /// Keys of \a section in file order, as spelled in the file.
    QStringList keys(const QString &section) const;

private:
    struct Line
    {
        enum class Kind { Other, Section, Key } kind = Kind::Other;
        QString text;    ///< the whole line as read (or as made), without line ending;
                         ///< Other: blank, comment and garbage lines in a row, as one
        QString section; ///< Section: its name; Key: the section it belongs to
        QString key;     ///< Key: the key as spelled
        QString value;   ///< Key: the value, trimmed
        // The bytes as read: text alone would lose whatever is not UTF-8.
        QByteArray raw;
        QByteArray ending; ///< "\r\n", "\n", or nothing on a last line without one
    };

    static void classify(Line &line, QString &currentSection);
    QByteArray lineEnding() const;
    bool endsWithBlankLine() const;
    void insertLine(std::size_t index, const QString &text);
    static void replaceValue(Line &line, const QString &value);

    std::vector<Line> m_lines;
    bool m_crlf = false;
    bool m_bom = false;
};

} // namespace t880
