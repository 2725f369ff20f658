#include "TestMain.h"
#include "screens/monitoring/PDFReportGenerator.h"
#include "screens/monitoring/SessionReportPainter.h"
#include "screens/monitoring/SessionReportView.h"
#include "TextRecorder.h"

#include <algorithm>
#include <QPainter>
#include <QRegularExpression>
#include <unistd.h>

using Record = SessionLogger::SessionRecord;

namespace {

const QDateTime kStart(QDate(2025, 3, 14), QTime(9, 5, 7));

QList<Record> records(const QList<double>& cpu, const QList<double>& memory)
{
    QList<Record> list;
    for (qsizetype i = 0; i < cpu.size(); ++i)
        list.append({QUuid::createUuid(), kStart.addSecs(i + 1), 0, cpu[i], 0, memory[i]});
    return list;
}

SessionReportView page(const QList<Record>& list, qint64 durationMs = 10'000,
                       SystemMonitor::RAMStats ram = {})
{
    return SessionReportView(list, kStart, kStart.addMSecs(durationMs), ram, kStart.addSecs(60));
}

struct Outcome {
    int calls = 0;
    bool success = false;
    std::optional<QString> file;
    QString problem;
};

PDFReportGenerator::Completion recordInto(Outcome& outcome)
{
    return [&outcome](bool success, std::optional<QString> file, QString problem) {
        ++outcome.calls;
        outcome.success = success;
        outcome.file = std::move(file);
        outcome.problem = std::move(problem);
    };
}

const QString kHighCPU = "High CPU usage detected. Consider closing background applications.";
const QString kHighMemory = "High memory usage. Try purging RAM or closing unused apps.";
const QString kOptimal = "System performance is optimal for gaming.";
const QStringList kTips = {"Enable the MangoHud overlay to monitor real-time FPS during games.",
                           "Use Quick Boost before gaming sessions for better performance."};

} // namespace

class TestSessionReport : public QObject {
    Q_OBJECT
private slots:
    void duration_data()
    {
        QTest::addColumn<qint64>("milliseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("59 s") << qint64(59'000) << "59s";
        QTest::newRow("60 s") << qint64(60'000) << "1m 0s";
        QTest::newRow("3599 s") << qint64(3'599'000) << "59m 59s";
        QTest::newRow("3600 s") << qint64(3'600'000) << "1h 0m";
        QTest::newRow("3725.9 s, seconds dropped") << qint64(3'725'900) << "1h 2m";
    }
    void duration()
    {
        QFETCH(qint64, milliseconds);
        QFETCH(QString, text);
        QCOMPARE(page({}, milliseconds).formattedDuration(), text);
    }

    void recommendations_data()
    {
        QTest::addColumn<QList<double>>("cpu");
        QTest::addColumn<QList<double>>("memory");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no records: the tips alone") << QList<double>{} << QList<double>{} << kTips;
        QTest::newRow("average CPU exactly 80") << QList<double>{70, 90} << QList<double>{60, 60} << kTips;
        QTest::newRow("both above 80")
            << QList<double>{85} << QList<double>{90} << QStringList{kHighCPU, kHighMemory} + kTips;
        QTest::newRow("memory alone above 80")
            << QList<double>{40} << QList<double>{80.5} << QStringList{kHighMemory} + kTips;
        QTest::newRow("averages exactly 50") << QList<double>{50} << QList<double>{50} << kTips;
        QTest::newRow("both below 50")
            << QList<double>{20, 79.8} << QList<double>{49.9, 49.9} << QStringList{kOptimal} + kTips;
    }
    void recommendations()
    {
        QFETCH(QList<double>, cpu);
        QFETCH(QList<double>, memory);
        QFETCH(QStringList, expected);
        QCOMPARE(page(records(cpu, memory)).reportRecommendations(), expected);
    }

    void metrics_data()
    {
        QTest::addColumn<QList<double>>("cpu");
        QTest::addColumn<QList<double>>("memory");
        QTest::addColumn<QString>("records");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("empty") << QList<double>{} << QList<double>{} << "0" << QStringList{};
        QTest::newRow("one record is average and peak") << QList<double>{42.24} << QList<double>{61.76} << "1"
                                                        << QStringList{"42.2%", "42.2%", "61.8%", "61.8%"};
        QTest::newRow("three records") << QList<double>{10, 30, 20} << QList<double>{50, 40, 90} << "3"
                                       << QStringList{"20.0%", "30.0%", "60.0%", "90.0%"};
    }
    void metrics()
    {
        QFETCH(QList<double>, cpu);
        QFETCH(QList<double>, memory);
        QFETCH(QString, records);
        QFETCH(QStringList, values);
        const SessionReportView report = page(::records(cpu, memory));
        QCOMPARE(report.summaryItems().at(1).value, records);
        QStringList shown;
        for (const auto& row : report.metricRows())
            shown.append(row.value);
        QCOMPARE(shown, values);
        QCOMPARE(report.performanceMetrics().has_value(), !values.isEmpty());
    }

    void memoryTiles_data()
    {
        QTest::addColumn<double>("gigabytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("rounds up to the next whole") << 15.999 << "16.0 GB";
        QTest::newRow("rounds down") << 7.94 << "7.9 GB";
        QTest::newRow("zero") << 0.0 << "0.0 GB";
    }
    void memoryTiles()
    {
        QFETCH(double, gigabytes);
        QFETCH(QString, text);
        SystemMonitor::RAMStats ram;
        ram.total = gigabytes;
        ram.percent = 12.345;
        const QList<SessionReportView::Figure> tiles = page({}, 1000, ram).statisticTiles();
        QCOMPARE(tiles.first().value, text);
        QCOMPARE(tiles.last().value, "12.3%");
    }

    void startDateInTheUsersLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::newRow("United States") << "en_US" << "Mar 14, 2025, 9:05 AM";
        QTest::newRow("Britain: day first") << "en_GB" << "14 Mar 2025, 09:05";
        QTest::newRow("Germany: month name of its own") << "de_DE" << "14. März 2025, 09:05";
        QTest::newRow("Hungary: weekday last in the long form") << "hu_HU" << "2025. márc. 14., 9:05";
        QTest::newRow("Japan: no separator before the weekday") << "ja_JP" << "2025年3月14日, 9:05";
    }
    void startDateInTheUsersLocale()
    {
        QFETCH(QString, locale);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        // Newer locale data puts a narrow no-break space before "AM".
        const QString shown = QString(page({}).summaryItems().at(2).value).replace(QChar(0x202F), QChar(' '));
        QLocale::setDefault(before);
        QTEST(shown, "date");
    }

    // The footer closes the page inside its bottom margin: the date line, then the product's address
    // in the report's cyan.
    void footerEndsWithTheAddress()
    {
        const SessionReportView report = page(records({30}, {40}));
        TextRecorder device(SessionReportPainter::pageSize);
        QPainter painter(&device);
        SessionReportPainter::paint(painter, report);
        painter.end();
        QList<TextRecorder::Item> lines = device.items();
        QVERIFY(lines.size() > 2);
        std::ranges::stable_sort(lines, {}, [](const TextRecorder::Item& line) { return line.origin.y(); });
        const TextRecorder::Item& last = lines.last();
        QCOMPARE(last.text, "quillmarsh.com");
        QCOMPARE(last.color, QColor(0x00, 0xD4, 0xFF));
        QVERIFY(last.origin.y() <= SessionReportPainter::pageSize.height() - 40);
        QCOMPARE(lines.at(lines.size() - 2).text, report.footerText());
    }

    void fileNameFromStartTime()
    {
        QCOMPARE(PDFReportGenerator::fileName(kStart), "Quillmarsh_Report_2025-03-14_09-05-07.pdf");
    }

    // One US Letter page, reported once after the call returned; an older report of the same name
    // is replaced and no temporary file stays beside it.
    void writesOnePageIntoTheDesktop()
    {
        QTemporaryDir desktop;
        const QString expected = desktop.filePath(PDFReportGenerator::fileName(kStart));
        QFile old(expected);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier report");
        old.close();

        Outcome outcome;
        PDFReportGenerator::generateReport(desktop.path(), records({35, 45}, {50, 60}), kStart,
                                           kStart.addSecs(12), {16, 9, 7, 56.25}, recordInto(outcome));
        QCOMPARE(outcome.calls, 0);
        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(outcome.success);
        QCOMPARE(outcome.file, expected);
        QCOMPARE(outcome.problem, QString());

        QFile pdf(expected);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        const QString text = QString::fromLatin1(bytes);
        QCOMPARE(text.count(QRegularExpression("/Type\\s*/Page(?![s\\w])")), 1);
        const QRegularExpressionMatch box =
            QRegularExpression("/MediaBox\\s*\\[\\s*([\\d.]+)\\s+([\\d.]+)\\s+([\\d.]+)\\s+([\\d.]+)\\s*\\]")
                .match(text);
        QVERIFY(box.hasMatch());
        QCOMPARE(QList<double>({box.captured(1).toDouble(), box.captured(2).toDouble(),
                                box.captured(3).toDouble(), box.captured(4).toDouble()}),
                 QList<double>({0, 0, 612, 792}));
        QCOMPARE(QDir(desktop.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(expected).fileName()});

        QCoreApplication::processEvents();
        QCOMPARE(outcome.calls, 1);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // a pattern
        QTest::newRow("missing folder") << "missing" << "^the folder .*/Desktop does not exist$";
        QTest::newRow("read-only folder") << "read-only" << "^(the folder .*/Desktop is not writable|[a-z].+)$";
        QTest::newRow("the name is taken by a folder")
            << "taken" << "^a folder named Quillmarsh_Report_2025-03-14_09-05-07.pdf is in the way$";
    }
    // Reported once as (false, nothing, why), after the call returned, with nothing left in the folder.
    void failures()
    {
        QFETCH(QString, kind);
        QTemporaryDir scratch;
        QString desktop = scratch.filePath("Desktop");
        if (kind != "missing")
            QVERIFY(QDir().mkpath(desktop));
        if (kind == "taken")
            QVERIFY(QDir(desktop).mkdir(PDFReportGenerator::fileName(kStart)));
        if (kind == "read-only") {
            QFile::setPermissions(desktop, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            // The super-user writes into any folder whatever its mode; /proc takes no new files from anyone.
            if (::geteuid() == 0)
                desktop = "/proc";
        }
        const auto reports = [&] {
            return QDir(desktop).entryList({"Quillmarsh_Report*"}, QDir::AllEntries | QDir::Hidden);
        };
        const QStringList before = reports();

        Outcome outcome;
        PDFReportGenerator::generateReport(desktop, records({10}, {10}), kStart, kStart.addSecs(5), {},
                                           recordInto(outcome));
        QCOMPARE(outcome.calls, 0);
        QTRY_COMPARE(outcome.calls, 1);
        QVERIFY(!outcome.success);
        QCOMPARE(outcome.file, std::nullopt);
        QFETCH(QString, reason);
        QVERIFY2(QRegularExpression(reason).match(outcome.problem).hasMatch(), qPrintable(outcome.problem));
        QCoreApplication::processEvents();
        QCOMPARE(outcome.calls, 1);
        QCOMPARE(reports(), before);
        QFile::setPermissions(scratch.filePath("Desktop"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

QM_TEST_MAIN(TestSessionReport)
#include "tst_SessionReport.moc"
