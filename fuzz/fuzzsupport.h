// What every fuzz target shares: a reader that takes the input apart and never
// runs past its end, and the one way a target reports a broken rule. A broken
// rule aborts, so that libFuzzer keeps the input and the replay test fails.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace t880::fuzz {

[[noreturn]] inline void fail(const char *rule, const QByteArray &detail = QByteArray())
{
    std::fprintf(stderr, "fuzz: broken rule: %s%s%s\n", rule, detail.isEmpty() ? "" : ": ",
                 detail.constData());
    std::abort();
}

inline void require(bool ok, const char *rule, const QByteArray &detail = QByteArray())
{
    if (!ok)
        fail(rule, detail);
}

/// The fuzzer's bytes, consumed from the front. Past the end every read
/// gives zeros, so a short input is still a complete (if dull) program.
class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    std::size_t remaining() const { return m_size - m_pos; }

    std::uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }

    /// Up to \a n bytes, fewer when the input ends first.
    QByteArray take(std::size_t n)
    {
        const std::size_t k = n < remaining() ? n : remaining();
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), int(k));
        m_pos += k;
        return out;
    }

    QByteArray rest() { return take(remaining()); }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

/// Puts \a bytes into a new file at \a path. The old file is removed rather
/// than truncated: ext4 flushes a file truncated and rewritten on close,
/// which would make the disk, not the code, the limit of the fuzzer's speed.
inline bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace t880::fuzz
