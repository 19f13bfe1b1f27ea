// The configuration file suite's shared part: the new file and the literals
// the checks compare with, and the test class whose functions the suite's
// files define.
#pragma once

#include "ui/config/appconfig.h"
#include "ui/config/inifile.h"

#include "testsupport.h"
#include "tst_configfile_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace configfiletest {

using namespace t880;
using namespace t880::testing;

inline const QByteArray kNewFile(configdata::kNewFile);
inline const QByteArray kBom("\xEF\xBB\xBF");

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// A literal that may hold NUL bytes.
template <std::size_t N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

} // namespace configfiletest

class TestConfigFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase();

    void iniRoundTrip_data();
    void iniRoundTrip();
    void iniSetValue_data();
    void iniSetValue();
    void iniKeys_data();
    void iniKeys();

    void firstRun();
    void handEditedSurvivesSave_data();
    void handEditedSurvivesSave();
    void editsDuringRunSurvive();
    void saveAfterDeletion_data();
    void saveAfterDeletion();

    void readDefaults_data();
    void readDefaults();
    void missingColumns_data();
    void missingColumns();
    void equalBands_data();
    void equalBands();
    void ports_data();
    void ports();

    void hostilePaths_data();
    void hostilePaths();
    void garbageKeepsWhatIsSensible_data();
    void garbageKeepsWhatIsSensible();

    void location_data();
    void location();
    void locationByPermissions_data();
    void locationByPermissions();
};
