// Small helpers every suite shares: whole files read and written, the entries
// of a folder, where two byte blocks differ, and the built t880 run as a
// separate process.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace t880::testing {

/// The whole content of \a path; \a whenUnreadable when it cannot be opened
/// (empty unless a caller needs a missing file to differ from an empty one).
inline QByteArray readFile(const QString &path, const QByteArray &whenUnreadable = QByteArray())
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : whenUnreadable;
}

/// Replaces the content of \a path with \a bytes; true when all were written.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// Every entry of \a dir (hidden and system ones too, without . and ..), by name.
inline QStringList listing(const QString &dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// Empty when equal; otherwise the first differing offsets with both values.
inline QString describeDiff(const QByteArray &actual, const QByteArray &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    QStringList out;
    for (int i = 0; i < actual.size() && out.size() < 12; ++i) {
        if (actual[i] != expected[i]) {
            out << QStringLiteral("0x%1: %2 (expected %3)")
                       .arg(i, 3, 16, QLatin1Char('0'))
                       .arg(quint8(actual[i]), 2, 16, QLatin1Char('0'))
                       .arg(quint8(expected[i]), 2, 16, QLatin1Char('0'));
        }
    }
    return out.join(QStringLiteral(", "));
}

/// How a run of t880 ended.
struct CliResult
{
    bool finished = false; ///< started and ended within the time given
    bool crashed = true;   ///< did not exit normally: crashed, killed, or never started
    int exitCode = -1;     ///< -1 when it did not exit normally
    QByteArray out;
    QByteArray err; ///< with a note appended when it did not finish
};

/// Runs the built t880 with \a args in \a workingDir (empty: this process's
/// folder) and \a environment (empty: this process's); kills it when it has
/// not ended after \a timeoutMs.
inline CliResult runCli(const QStringList &args, const QString &workingDir = QString(),
                        int timeoutMs = 60000,
                        const QProcessEnvironment &environment = QProcessEnvironment(),
                        const QString &program = QStringLiteral(T880_CLI_PATH))
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    if (!environment.isEmpty())
        p.setProcessEnvironment(environment);
    p.start(program, args);
    CliResult r;
    if (!p.waitForStarted(30000)) {
        r.err = "t880 did not start: " + p.errorString().toUtf8();
        return r;
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.crashed = !r.finished || p.exitStatus() != QProcess::NormalExit;
    r.exitCode = r.crashed ? -1 : p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    if (!r.finished)
        r.err += (r.err.isEmpty() ? "" : "\n") + QByteArray("t880 had not ended after ") +
                 QByteArray::number(timeoutMs) + " ms; killed";
    return r;
}

} // namespace t880::testing
