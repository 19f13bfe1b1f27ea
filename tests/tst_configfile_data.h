// Configuration files written out line by line, as a user or the first run
// leaves them, and as they must look after a save; the run that saves them.
#pragma once

#include "ui/config/appconfig.h"

#include <QRegularExpression>
#include <QVariant>

namespace configdata {

using t880::AppConfig;

// What a run changes, as in kHandEditedSaved: port 5, Traditional Chinese,
// no port search, band 4, four grid sizes. Band limits, names and ports
// changed too, which a save must not write.
inline AppConfig afterSession(AppConfig c)
{
    c.port = 5;
    c.language = 2;
    c.autoSearchPort = false;
    c.selectedBand = 4;
    c.channelRowHeights[3] = 33;
    c.channelColumnWidths[8] = 120;
    c.addressBookRowHeights[16] = 18;
    c.addressBookColumnWidths[2] = 150;
    c.bands[0] = {1000, 2000};
    c.appNames[0] = QStringLiteral("not to be written");
    c.portPaths[3] = QStringLiteral("/dev/not-written");
    return c;
}

// One field of a configuration by name, so that a table can say which one a
// row is about.
inline QVariant fieldValue(const AppConfig &c, const QString &name)
{
    static const QRegularExpression indexed(QStringLiteral("^([a-zA-Z]+)(\\d+)$"));
    if (name == QLatin1String("port"))
        return c.port;
    if (name == QLatin1String("language"))
        return c.language;
    if (name == QLatin1String("autoSearchPort"))
        return c.autoSearchPort;
    if (name == QLatin1String("selectedBand"))
        return c.selectedBand;
    if (name == QLatin1String("backupBeforeWrite"))
        return c.backupBeforeWrite;
    if (name == QLatin1String("verifyAfterWrite"))
        return c.verifyAfterWrite;
    if (name == QLatin1String("backupMaxAgeDays"))
        return c.backupMaxAgeDays;
    if (name == QLatin1String("backupMaxCount"))
        return c.backupMaxCount;
    const QRegularExpressionMatch m = indexed.match(name);
    if (!m.hasMatch())
        return QVariant();
    const QString kind = m.captured(1);
    const std::size_t i = m.captured(2).toUInt();
    if (kind == QLatin1String("channelRow"))
        return c.channelRowHeights.at(i);
    if (kind == QLatin1String("channelColumn"))
        return c.channelColumnWidths.at(i);
    if (kind == QLatin1String("addressRow"))
        return c.addressBookRowHeights.at(i);
    if (kind == QLatin1String("addressColumn"))
        return c.addressBookColumnWidths.at(i);
    if (kind == QLatin1String("bandMin"))
        return qlonglong(c.bands.at(i - 1).min);
    if (kind == QLatin1String("bandMax"))
        return qlonglong(c.bands.at(i - 1).max);
    if (kind == QLatin1String("appName"))
        return c.appNames.at(i);
    return QVariant();
}

// The first run's file.
inline const char kNewFile[] = "[config]\n"
                               "Port=1\n"
                               "Language=1\n"
                               "AutoSeachPort=1\n"
                               "\n"
                               "[control]\n"
                               "ChSG_Row0=20\n"
                               "ChSG_Row1=20\n"
                               "ChSG_Row2=20\n"
                               "ChSG_Row3=20\n"
                               "ChSG_Row4=20\n"
                               "ChSG_Row5=20\n"
                               "ChSG_Row6=20\n"
                               "ChSG_Row7=20\n"
                               "ChSG_Row8=20\n"
                               "ChSG_Row9=20\n"
                               "ChSG_Row10=20\n"
                               "ChSG_Row11=20\n"
                               "ChSG_Row12=20\n"
                               "ChSG_Row13=20\n"
                               "ChSG_Row14=20\n"
                               "ChSG_Row15=20\n"
                               "ChSG_Row16=20\n"
                               "ChSG_Col0=30\n"
                               "ChSG_Col1=64\n"
                               "ChSG_Col2=64\n"
                               "ChSG_Col3=74\n"
                               "ChSG_Col4=74\n"
                               "ChSG_Col5=64\n"
                               "ChSG_Col6=64\n"
                               "ChSG_Col7=64\n"
                               "ChSG_Col8=80\n"
                               "DtmfAbSG_Row0=20\n"
                               "DtmfAbSG_Row1=20\n"
                               "DtmfAbSG_Row2=20\n"
                               "DtmfAbSG_Row3=20\n"
                               "DtmfAbSG_Row4=20\n"
                               "DtmfAbSG_Row5=20\n"
                               "DtmfAbSG_Row6=20\n"
                               "DtmfAbSG_Row7=20\n"
                               "DtmfAbSG_Row8=20\n"
                               "DtmfAbSG_Row9=20\n"
                               "DtmfAbSG_Row10=20\n"
                               "DtmfAbSG_Row11=20\n"
                               "DtmfAbSG_Row12=20\n"
                               "DtmfAbSG_Row13=20\n"
                               "DtmfAbSG_Row14=20\n"
                               "DtmfAbSG_Row15=20\n"
                               "DtmfAbSG_Row16=20\n"
                               "DtmfAbSG_Col0=30\n"
                               "DtmfAbSG_Col1=70\n"
                               "DtmfAbSG_Col2=130\n"
                               "\n"
                               "[Band]\n"
                               "band-1 min=136000000\n"
                               "band-1 max=174000000\n"
                               "band-2 min=400000000\n"
                               "band-2 max=490000000\n"
                               "band-3 min=245000000\n"
                               "band-3 max=246000000\n"
                               "band-4 min=400000000\n"
                               "band-4 max=480000000\n"
                               "band-5 min=450000000\n"
                               "band-5 max=520000000\n"
                               "band-6 min=470000000\n"
                               "band-6 max=520000000\n"
                               "band Selete=1\n"
                               "\n"
                               "[chs]\n"
                               "AppName= \n"
                               "Company= \n"
                               "\n"
                               "[cht]\n"
                               "AppName= \n"
                               "Company= \n"
                               "\n"
                               "[eng]\n"
                               "AppName= \n"
                               "Company= \n";

// A file a user has worked on: comments, blanks around '=', a section name in
// capitals, a duplicated key, own band limits, ports, unknown keys and
// sections, a name with spaces.
inline const char kHandEdited[] = "; Settings of the programming software\n"
                                  "# kept in the program's folder\n"
                                  "\n"
                                  "[Config]\n"
                                  "Port = 2\n"
                                  "language=0\n"
                                  "AutoSeachPort=1\n"
                                  "Port=7\n"
                                  "Theme=dark\n"
                                  "\n"
                                  "[control]\n"
                                  "ChSG_Row0=20\n"
                                  "ChSG_Row1=20\n"
                                  "ChSG_Row2=20\n"
                                  "ChSG_Row3=20\n"
                                  "ChSG_Row4=20\n"
                                  "ChSG_Row5 = 25\n"
                                  "ChSG_Row6=20\n"
                                  "ChSG_Row7=20\n"
                                  "ChSG_Row8=20\n"
                                  "ChSG_Row9=20\n"
                                  "ChSG_Row10=20\n"
                                  "ChSG_Row11=20\n"
                                  "ChSG_Row12=20\n"
                                  "ChSG_Row13=20\n"
                                  "ChSG_Row14=20\n"
                                  "ChSG_Row15=20\n"
                                  "ChSG_Row16=20\n"
                                  "ChSG_Col0=30\n"
                                  "ChSG_Col1 = 66\n"
                                  "ChSG_Col2=64\n"
                                  "ChSG_Col3=74\n"
                                  "ChSG_Col4=74\n"
                                  "ChSG_Col5=64\n"
                                  "ChSG_Col6=64\n"
                                  "ChSG_Col7=64\n"
                                  "ChSG_Col8=80\n"
                                  "DtmfAbSG_Row0=20\n"
                                  "DtmfAbSG_Row1=20\n"
                                  "DtmfAbSG_Row2=20\n"
                                  "DtmfAbSG_Row3=20\n"
                                  "DtmfAbSG_Row4=20\n"
                                  "DtmfAbSG_Row5=20\n"
                                  "DtmfAbSG_Row6=20\n"
                                  "DtmfAbSG_Row7=20\n"
                                  "DtmfAbSG_Row8=20\n"
                                  "DtmfAbSG_Row9=20\n"
                                  "DtmfAbSG_Row10=20\n"
                                  "DtmfAbSG_Row11=20\n"
                                  "DtmfAbSG_Row12=20\n"
                                  "DtmfAbSG_Row13=20\n"
                                  "DtmfAbSG_Row14=20\n"
                                  "DtmfAbSG_Row15=20\n"
                                  "DtmfAbSG_Row16=20\n"
                                  "DtmfAbSG_Col0=30\n"
                                  "DtmfAbSG_Col1=70\n"
                                  "DtmfAbSG_Col2=130\n"
                                  "\n"
                                  "[Band]\n"
                                  "band-1 min=144000000\n"
                                  "band-1 max=148000000\n"
                                  "; the repeater band\n"
                                  "band-2 min=430000000\n"
                                  "band-2 max=440000000\n"
                                  "band-3 min=245000000\n"
                                  "band-3 max=246000000\n"
                                  "band-4 min=400000000\n"
                                  "band-4 max=480000000\n"
                                  "band-5 min=450000000\n"
                                  "band-5 max=520000000\n"
                                  "band-6 min=470000000\n"
                                  "band-6 max=520000000\n"
                                  "band Selete=1\n"
                                  "\n"
                                  "[ports]\n"
                                  "COM1=/dev/ttyUSB0\n"
                                  "\n"
                                  "[chs]\n"
                                  "AppName=My Radio\n"
                                  "Company= \n"
                                  "\n"
                                  "[Extra]\n"
                                  "something=else\n";

// kHandEdited after a run that chose port 5, Traditional Chinese, no port
// search, band 4, and changed four grid sizes.
inline const char kHandEditedSaved[] = "; Settings of the programming software\n"
                                       "# kept in the program's folder\n"
                                       "\n"
                                       "[Config]\n"
                                       "Port = 5\n"
                                       "language=2\n"
                                       "AutoSeachPort=0\n"
                                       "Port=7\n"
                                       "Theme=dark\n"
                                       "\n"
                                       "[control]\n"
                                       "ChSG_Row0=20\n"
                                       "ChSG_Row1=20\n"
                                       "ChSG_Row2=20\n"
                                       "ChSG_Row3=33\n"
                                       "ChSG_Row4=20\n"
                                       "ChSG_Row5 = 25\n"
                                       "ChSG_Row6=20\n"
                                       "ChSG_Row7=20\n"
                                       "ChSG_Row8=20\n"
                                       "ChSG_Row9=20\n"
                                       "ChSG_Row10=20\n"
                                       "ChSG_Row11=20\n"
                                       "ChSG_Row12=20\n"
                                       "ChSG_Row13=20\n"
                                       "ChSG_Row14=20\n"
                                       "ChSG_Row15=20\n"
                                       "ChSG_Row16=20\n"
                                       "ChSG_Col0=30\n"
                                       "ChSG_Col1 = 66\n"
                                       "ChSG_Col2=64\n"
                                       "ChSG_Col3=74\n"
                                       "ChSG_Col4=74\n"
                                       "ChSG_Col5=64\n"
                                       "ChSG_Col6=64\n"
                                       "ChSG_Col7=64\n"
                                       "ChSG_Col8=120\n"
                                       "DtmfAbSG_Row0=20\n"
                                       "DtmfAbSG_Row1=20\n"
                                       "DtmfAbSG_Row2=20\n"
                                       "DtmfAbSG_Row3=20\n"
                                       "DtmfAbSG_Row4=20\n"
                                       "DtmfAbSG_Row5=20\n"
                                       "DtmfAbSG_Row6=20\n"
                                       "DtmfAbSG_Row7=20\n"
                                       "DtmfAbSG_Row8=20\n"
                                       "DtmfAbSG_Row9=20\n"
                                       "DtmfAbSG_Row10=20\n"
                                       "DtmfAbSG_Row11=20\n"
                                       "DtmfAbSG_Row12=20\n"
                                       "DtmfAbSG_Row13=20\n"
                                       "DtmfAbSG_Row14=20\n"
                                       "DtmfAbSG_Row15=20\n"
                                       "DtmfAbSG_Row16=18\n"
                                       "DtmfAbSG_Col0=30\n"
                                       "DtmfAbSG_Col1=70\n"
                                       "DtmfAbSG_Col2=150\n"
                                       "\n"
                                       "[Band]\n"
                                       "band-1 min=144000000\n"
                                       "band-1 max=148000000\n"
                                       "; the repeater band\n"
                                       "band-2 min=430000000\n"
                                       "band-2 max=440000000\n"
                                       "band-3 min=245000000\n"
                                       "band-3 max=246000000\n"
                                       "band-4 min=400000000\n"
                                       "band-4 max=480000000\n"
                                       "band-5 min=450000000\n"
                                       "band-5 max=520000000\n"
                                       "band-6 min=470000000\n"
                                       "band-6 max=520000000\n"
                                       "band Selete=4\n"
                                       "\n"
                                       "[ports]\n"
                                       "COM1=/dev/ttyUSB0\n"
                                       "\n"
                                       "[chs]\n"
                                       "AppName=My Radio\n"
                                       "Company= \n"
                                       "\n"
                                       "[Extra]\n"
                                       "something=else\n";

// A file holding only what its user cared about.
inline const char kSparse[] = "; only the first band\n"
                              "[Band]\n"
                              "band-1 min=140000000\n"
                              "band-1 max=150000000\n"
                              "\n"
                              "[ports]\n"
                              "COM2=/dev/ttyACM0";

// kSparse after the same run as kHandEditedSaved: the written keys that were
// missing are added, to their section or in new sections at the end.
inline const char kSparseSaved[] = "; only the first band\n"
                                   "[Band]\n"
                                   "band-1 min=140000000\n"
                                   "band-1 max=150000000\n"
                                   "band Selete=4\n"
                                   "\n"
                                   "[ports]\n"
                                   "COM2=/dev/ttyACM0\n"
                                   "\n"
                                   "[config]\n"
                                   "Port=5\n"
                                   "Language=2\n"
                                   "AutoSeachPort=0\n"
                                   "\n"
                                   "[control]\n"
                                   "ChSG_Row0=20\n"
                                   "ChSG_Row1=20\n"
                                   "ChSG_Row2=20\n"
                                   "ChSG_Row3=33\n"
                                   "ChSG_Row4=20\n"
                                   "ChSG_Row5=20\n"
                                   "ChSG_Row6=20\n"
                                   "ChSG_Row7=20\n"
                                   "ChSG_Row8=20\n"
                                   "ChSG_Row9=20\n"
                                   "ChSG_Row10=20\n"
                                   "ChSG_Row11=20\n"
                                   "ChSG_Row12=20\n"
                                   "ChSG_Row13=20\n"
                                   "ChSG_Row14=20\n"
                                   "ChSG_Row15=20\n"
                                   "ChSG_Row16=20\n"
                                   "ChSG_Col0=30\n"
                                   "ChSG_Col1=64\n"
                                   "ChSG_Col2=64\n"
                                   "ChSG_Col3=74\n"
                                   "ChSG_Col4=74\n"
                                   "ChSG_Col5=64\n"
                                   "ChSG_Col6=64\n"
                                   "ChSG_Col7=64\n"
                                   "ChSG_Col8=120\n"
                                   "DtmfAbSG_Row0=20\n"
                                   "DtmfAbSG_Row1=20\n"
                                   "DtmfAbSG_Row2=20\n"
                                   "DtmfAbSG_Row3=20\n"
                                   "DtmfAbSG_Row4=20\n"
                                   "DtmfAbSG_Row5=20\n"
                                   "DtmfAbSG_Row6=20\n"
                                   "DtmfAbSG_Row7=20\n"
                                   "DtmfAbSG_Row8=20\n"
                                   "DtmfAbSG_Row9=20\n"
                                   "DtmfAbSG_Row10=20\n"
                                   "DtmfAbSG_Row11=20\n"
                                   "DtmfAbSG_Row12=20\n"
                                   "DtmfAbSG_Row13=20\n"
                                   "DtmfAbSG_Row14=20\n"
                                   "DtmfAbSG_Row15=20\n"
                                   "DtmfAbSG_Row16=18\n"
                                   "DtmfAbSG_Col0=30\n"
                                   "DtmfAbSG_Col1=70\n"
                                   "DtmfAbSG_Col2=150\n";

} // namespace configdata
