// Port numbers 1..9 and the devices behind them.
#include "link/serial/portmap.h"

#include <QtTest>

using t880::link::PortMap;

class TestPortMap : public QObject
{
    Q_OBJECT

private slots:
    void order_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("USB adapters first, then ACM, then the rest")
            << QStringList{"/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyS1"}
            << QStringList{"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("numbers in natural order")
            << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyUSB1"}
            << QStringList{"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10"};
        QTest::newRow("nothing present") << QStringList{} << QStringList{};
    }

    void order()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, expected);
        const std::vector<QString> ordered =
            PortMap::orderDevices(std::vector<QString>(present.begin(), present.end()));
        QCOMPARE(QStringList(ordered.begin(), ordered.end()), expected);
    }

    void binding_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("kept");
        QTest::newRow("0 is no port") << 0 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("9") << 9 << true;
        QTest::newRow("10 is beyond the dialog") << 10 << false;
        QTest::newRow("negative") << -1 << false;
    }

    void binding()
    {
        QFETCH(int, number);
        QFETCH(bool, kept);
        PortMap map;
        map.bind(number, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(map.path(number).isEmpty(), !kept);
        QCOMPARE(map.numbers().size(), std::size_t(kept ? 1 : 0));
    }

    void numbersAscendAndRebind()
    {
        PortMap map;
        map.bind(7, QStringLiteral("/dev/a"));
        map.bind(2, QStringLiteral("/dev/b"));
        map.bind(7, QStringLiteral("/dev/c"));
        QCOMPARE(map.numbers(), (std::vector<int>{2, 7}));
        QCOMPARE(map.path(7), QStringLiteral("/dev/c"));
        QCOMPARE(map.path(3), QString());
    }
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
