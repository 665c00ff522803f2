// Prints one record's page through QtPrinter and writes the lines it printed to a text file, so
// that a test can read the printed page back and compare.
// Usage: tool_print_page DOCUMENT_NAME FALLBACK_PDF LINES_FILE [RECEIPT_RECORDS]
// With RECEIPT_RECORDS it prints a submission file's list of that many copies of the record.
// Prints "printed", "pdf PATH" or "failed REASON"; exit code 0 unless the page was lost.
#include "printing/PrintedPage.h"
#include "printing/SubmissionReceipt.h"
#include "support/TestRecords.h"
#include "window/services/QtPrinter.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: tool_print_page DOCUMENT_NAME FALLBACK_PDF LINES_FILE "
                             "[RECEIPT_RECORDS]\n");
        return 2;
    }
    ResultRecord record = TestRecords::newRecord(QStringLiteral("123456"));
    record.set(ResultRecord::DateTaken, QStringLiteral("12052026"));
    record.set(ResultRecord::LastName, QStringLiteral("Okonkwo-Bryant"));
    record.set(ResultRecord::FirstName, QStringLiteral("Tamsin"));
    record.set(ResultRecord::MiddleInitial, QStringLiteral("J"));
    record.set(ResultRecord::DateOfBirth, QStringLiteral("03142021"));
    record.set(ResultRecord::Sex, QStringLiteral("F"));
    record.set(ResultRecord::StreetNumber, QStringLiteral("1420"));
    record.set(ResultRecord::StreetName, QStringLiteral("Alder Creek Rd"));
    record.set(ResultRecord::AptNumber, QStringLiteral("4B"));
    record.set(ResultRecord::City, QStringLiteral("Port Halloway"));
    record.set(ResultRecord::Zip, QStringLiteral("95501"));
    record.set(ResultRecord::ParentsFirst, QStringLiteral("Marisol"));
    record.set(ResultRecord::ParentsLast, QStringLiteral("Okonkwo-Bryant"));
    record.set(ResultRecord::PhoneAreaCode, QStringLiteral("707"));
    record.set(ResultRecord::PhoneNumber, QStringLiteral("555-0142"));
    record.set(ResultRecord::RaceCode, QStringLiteral("6"));
    record.set(ResultRecord::Ancestry, QStringLiteral("20"));
    record.set(ResultRecord::AnalysisDate, QStringLiteral("12062026"));
    record.set(ResultRecord::PbResult, QStringLiteral(""));
    record.set(ResultRecord::BelowDetection, QStringLiteral("1"));
    record.set(ResultRecord::TestType, QStringLiteral("C"));
    record.set(ResultRecord::Physician, QStringLiteral("Dr. Amadi"));

    const QDateTime moment(QDate(2026, 12, 6), QTime(14, 5, 9));
    const QStringList lines =
        argc == 5 ? SubmissionReceipt::lines(QStringLiteral("Lead_123456_20261206_105255_0001.txt"),
                                             moment.addSecs(-3600),
                                             QList<ResultRecord>(atoi(argv[4]), record), moment)
                  : PrintedPage::lines(record, QStringLiteral("Other (6)"),
                                       QStringLiteral("Hispanic (20)"), 3, 12, moment);

    QFile linesFile(QString::fromLocal8Bit(argv[3]));
    if (!linesFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 2;
    }
    QTextStream(&linesFile) << lines.join(QLatin1Char('\n')) << '\n';
    linesFile.close();

    QtPrinter printer{QString::fromLocal8Bit(argv[1])};
    const PrintOutcome outcome = printer.printPage(lines, QString::fromLocal8Bit(argv[2]));
    switch (outcome.kind()) {
    case PrintOutcome::Printed:
        std::printf("printed\n");
        return 0;
    case PrintOutcome::SavedAsPdf:
        std::printf("pdf %s\n", qPrintable(outcome.pdfPath()));
        std::fprintf(stderr, "not printed: %s\n", qPrintable(outcome.reason()));
        return 0;
    case PrintOutcome::Failed:
        std::printf("failed %s\n", qPrintable(outcome.reason()));
        return 1;
    }
    return 1;
}
