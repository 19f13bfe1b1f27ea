// t880 plans: the channel plans built into the program.
#include "cli/command.h"

#include "codeplug/channelplan.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace t880::cli {

int runPlans(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the channel plans built into the program: the channels of a licence-free service "
        "as its regulation sets them out. 't880 new FILE --plan NAME' makes a codeplug from one."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object, channels included."));
    parser.addOption(json);
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    const std::vector<plans::Plan> &all = plans::builtIn();
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const plans::Plan &p : all) {
            QJsonArray channels;
            for (const plans::PlanChannel &c : p.channels) {
                QJsonObject o;
                o.insert(QStringLiteral("rx"), double(c.rx));
                o.insert(QStringLiteral("tx"), double(c.tx));
                o.insert(QStringLiteral("power"),
                         c.highPower ? QStringLiteral("high") : QStringLiteral("low"));
                o.insert(QStringLiteral("name"), QString::fromLatin1(c.name));
                channels.append(o);
            }
            QJsonObject o;
            o.insert(QStringLiteral("key"), p.key);
            o.insert(QStringLiteral("name"), p.name);
            o.insert(QStringLiteral("region"), p.region.en);
            o.insert(QStringLiteral("regulation"), p.regulation);
            o.insert(QStringLiteral("description"), p.description.en);
            o.insert(QStringLiteral("rules"), p.rules.en);
            o.insert(QStringLiteral("bandwidth"),
                     p.wide ? QStringLiteral("wide") : QStringLiteral("narrow"));
            o.insert(QStringLiteral("channels"), channels);
            list.append(o);
        }
        QJsonObject top;
        top.insert(QStringLiteral("plans"), list);
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
        ctx.out.flush();
        return ExitOk;
    }
    for (const plans::Plan &p : all) {
        ctx.out << QStringLiteral("%1  %2  %3 channels, %4, %5\n")
                       .arg(p.key.leftJustified(7), p.region.en.leftJustified(13))
                       .arg(p.channels.size())
                       .arg(plans::spanText(p), p.regulation)
                << "         " << p.description.en << '\n'
                << "         " << p.rules.en << '\n';
    }
    ctx.out.flush();
    return ExitOk;
}

} // namespace t880::cli
