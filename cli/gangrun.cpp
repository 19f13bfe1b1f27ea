// Several radios at once: one transfer per --port, all driven by the same
// event loop, each radio's end told as it comes and a table at the end.
#include "cli/transferrun.h"

#include "link/serial/gangtransfer.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>

#include <unistd.h>

namespace t880::cli {

namespace {

bool jsonWanted(const QCommandLineParser &parser, const TransferOptions &options)
{
    return parser.optionNames().contains(options.json.names().first());
}

QString secondsText(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

// One line with every radio's state, rewritten in place on a terminal.
class ProgressLine
{
public:
    ProgressLine(const std::vector<ChosenPort> &ports, Context &ctx)
        : m_ports(ports), m_ctx(ctx), m_percent(ports.size(), 0), m_state(ports.size()),
          m_interactive(isatty(STDERR_FILENO))
    {}

    void progress(int index, int percent)
    {
        const std::size_t i = std::size_t(index);
        if (percent <= m_percent[i])
            return;
        const int before = m_percent[i];
        m_percent[i] = percent;
        if (m_interactive) {
            redraw();
        } else if (percent / 10 != before / 10) {
            // A log gets a line per tenth, not a line per block.
            m_ctx.err << m_ports[i].name << ": Progress " << percent << "%\n";
            m_ctx.err.flush();
        }
    }

    // Lines about a radio that ended go above the progress line.
    void say(int index, const QStringList &lines, const QString &state)
    {
        m_state[std::size_t(index)] = state;
        clear();
        for (const QString &line : lines)
            m_ctx.err << m_ports[std::size_t(index)].name << ": " << line << '\n';
        m_ctx.err.flush();
        if (m_interactive)
            redraw();
    }

    void finish()
    {
        clear();
        m_ctx.err.flush();
    }

private:
    void redraw()
    {
        QStringList parts;
        for (std::size_t i = 0; i < m_ports.size(); ++i)
            parts << m_ports[i].name + u' ' +
                         (m_state[i].isEmpty() ? QString::number(m_percent[i]) + u'%' : m_state[i]);
        const QString line = parts.join(QStringLiteral("  "));
        m_ctx.err << '\r' << line;
        if (line.size() < m_width)
            m_ctx.err << QString(m_width - line.size(), u' ');
        m_width = int(line.size());
        m_ctx.err.flush();
    }

    void clear()
    {
        if (m_interactive && m_width > 0)
            m_ctx.err << '\r' << QString(m_width, u' ') << '\r';
        m_width = 0;
    }

    const std::vector<ChosenPort> &m_ports;
    Context &m_ctx;
    std::vector<int> m_percent;
    std::vector<QString> m_state;
    const bool m_interactive;
    int m_width = 0;
};

void printTable(const std::vector<RadioResult> &results, Context &ctx)
{
    const QStringList head = {QStringLiteral("Port"), QStringLiteral("Radio"),
                              QStringLiteral("Result"), QStringLiteral("Time")};
    std::vector<QStringList> rows;
    for (const RadioResult &r : results)
        rows.push_back(
            {r.port.given, r.radio.isEmpty() ? QStringLiteral("-") : r.radio,
             outcomeText(r.outcome) + (r.exit != ExitOk && r.outcome == link::Outcome::Success
                                           ? QStringLiteral(" (file not written)")
                                           : QString()),
             secondsText(r.ms)});
    std::vector<int> width(head.size(), 0);
    for (int c = 0; c < head.size(); ++c) {
        width[std::size_t(c)] = int(head[c].size());
        for (const QStringList &row : rows)
            width[std::size_t(c)] = std::max(width[std::size_t(c)], int(row[c].size()));
    }
    auto print = [&](const QStringList &cells) {
        QString line;
        for (int c = 0; c < cells.size(); ++c)
            line +=
                c + 1 < cells.size() ? cells[c].leftJustified(width[std::size_t(c)] + 2) : cells[c];
        ctx.out << line << '\n';
    };
    print(head);
    for (const QStringList &row : rows)
        print(row);
}

QJsonObject resultObject(const RadioResult &r)
{
    QJsonObject o = r.extra;
    auto textOrNull = [](const QString &text) {
        return text.isEmpty() ? QJsonValue() : QJsonValue(text);
    };
    o.insert(QStringLiteral("port"), r.port.given);
    o.insert(QStringLiteral("device"), textOrNull(r.port.device));
    o.insert(QStringLiteral("radio"), textOrNull(r.radio));
    o.insert(QStringLiteral("result"), outcomeText(r.outcome));
    o.insert(QStringLiteral("ok"), r.exit == ExitOk);
    o.insert(QStringLiteral("exit"), r.exit);
    o.insert(QStringLiteral("seconds"), double(r.ms) / 1000.0);
    o.insert(QStringLiteral("backup"), textOrNull(r.backup));
    o.insert(QStringLiteral("output"), textOrNull(r.output));
    return o;
}

} // namespace

int runTransfers(const QCommandLineParser &parser, const TransferOptions &options,
                 ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                 const AfterSuccess &afterSuccess, const TransferSetup &setup)
{
    const std::vector<ChosenPort> ports = chosenPorts(parser, options);
    warnUnfinished(ports, ctx);
    const bool json = jsonWanted(parser, options);
    if (ports.size() == 1 && !json) {
        const int rc = runTransfer(parser, options, state, op, mode, ctx, setup);
        if (rc != ExitOk)
            return rc;
        RadioResult result;
        result.port = ports.front();
        const int after = afterSuccess ? afterSuccess(state, result) : ExitOk;
        for (const QString &line : result.lines)
            ctx.out << line << '\n';
        ctx.out.flush();
        return after;
    }

    QStringList devices;
    for (const ChosenPort &port : ports)
        devices << port.device;
    link::GangTransfer gang(state, op, mode, devices);
    for (int i = 0; i < gang.size(); ++i)
        configureTransfer(gang.transfer(i), parser, options, setup, ports[std::size_t(i)].given);

    std::vector<RadioResult> results(ports.size());
    ProgressLine progress(ports, ctx);
    QObject::connect(&gang, &link::GangTransfer::progressUpdated, &gang,
                     [&](int index, int percent) { progress.progress(index, percent); });
    QObject::connect(
        &gang, &link::GangTransfer::transferEnded, &gang, [&](int index, link::Outcome) {
            RadioResult &result = results[std::size_t(index)];
            const ChosenPort &port = ports[std::size_t(index)];
            result.port = port;
            QStringList outLines;
            QStringList errLines;
            judgeTransfer(gang.transfer(index), op, mode, {}, result, outLines, errLines);
            if (port.device.isEmpty() && result.exit == ExitPortFailure)
                errLines.last() =
                    QStringLiteral("no serial device has the number %1 here").arg(port.given);
            errLines += diagnosisLines(gang.transfer(index), parser, options);
            if (result.exit == ExitOk && afterSuccess) {
                const int rc = afterSuccess(gang.state(index), result);
                if (rc != ExitOk)
                    result.exit = rc;
            }
            if (!saveTrace(gang.transfer(index), parser, options, port, errLines) &&
                result.exit == ExitOk)
                result.exit = ExitFailure;
            progress.say(index, outLines + errLines,
                         result.exit == ExitOk ? QStringLiteral("done") : QStringLiteral("failed"));
        });

    QEventLoop loop;
    QObject::connect(&gang, &link::GangTransfer::allEnded, &loop, &QEventLoop::quit);
    {
        const InterruptWatch watch([&] { gang.cancel(); });
        gang.start();
        if (gang.isRunning())
            loop.exec();
    }
    progress.finish();

    int worst = ExitOk;
    for (const RadioResult &r : results)
        worst = worstExit(worst, r.exit);
    if (json) {
        QJsonArray radios;
        for (const RadioResult &r : results)
            radios.append(resultObject(r));
        QJsonObject top;
        top.insert(QStringLiteral("exit"), worst);
        top.insert(QStringLiteral("radios"), radios);
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
    } else {
        for (const RadioResult &r : results) {
            if (r.lines.isEmpty())
                continue;
            ctx.out << r.port.given << ":\n";
            for (const QString &line : r.lines)
                ctx.out << "  " << line << '\n';
        }
        printTable(results, ctx);
    }
    ctx.out.flush();
    return worst;
}

} // namespace t880::cli
