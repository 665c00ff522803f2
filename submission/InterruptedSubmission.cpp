#include "submission/InterruptedSubmission.h"

#include "storage/AppPaths.h"
#include "storage/SafeFile.h"
#include "submission/SubmissionWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct NameOrder {
    qulonglong counter = 0;
    QString dateTime; // yyyyMMddHHmmss: fixed width, so text order is time order
};

bool orderOf(const QString& name, NameOrder& order) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^Lead_.*_(\d{8})_(\d{6})_(\d{4,18})\.txt$)"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    order.counter = match.captured(3).toULongLong();
    order.dateTime = match.captured(1) + match.captured(2);
    return true;
}

} // namespace

// The counter comes from nextfile.txt, which is advanced on the disk before each copy and so
// never hands out a number twice: the newest file carries the highest counter. Only when the
// counter file was lost or restored from a backup do numbers start again; files sharing a
// number are then told apart by the moment of naming, to the second, which the name also holds.
QString InterruptedSubmission::newestFileName(const QStringList& names) {
    QString newest;
    NameOrder newestOrder;
    for (const QString& name : names) {
        NameOrder order;
        if (!orderOf(name, order))
            continue;
        if (newest.isEmpty() || order.counter > newestOrder.counter ||
            (order.counter == newestOrder.counter && order.dateTime > newestOrder.dateTime)) {
            newest = name;
            newestOrder = order;
        }
    }
    return newest;
}

FileStatus InterruptedSubmission::find(const QString& appPath, QString& fileName) {
    fileName.clear();
    const AppPaths paths{appPath};
    const QFileInfo dataFile(paths.dataFile());
    if (!dataFile.isFile() || dataFile.size() == 0)
        return FileStatus::success();
    const QString newest =
        newestFileName(QDir(paths.submit()).entryList({QStringLiteral("Lead_*.txt")}, QDir::Files));
    if (newest.isEmpty())
        return FileStatus::success();
    const QString newestPath = paths.submit() + QDir::separator() + newest;
    // Different lengths differ: neither file needs reading.
    if (QFileInfo(newestPath).size() != dataFile.size())
        return FileStatus::success();
    QByteArray records;
    QByteArray submitted;
    if (FileStatus status = SafeFile::readPrefix(paths.dataFile(), records); !status)
        return status;
    if (FileStatus status = SafeFile::readPrefix(newestPath, submitted); !status)
        return status;
    if (!records.isEmpty() && records == submitted)
        fileName = newest;
    return FileStatus::success();
}

QString InterruptedSubmission::questionTitle() {
    return QStringLiteral("Unfinished Electronic File");
}

QString InterruptedSubmission::questionText(const QString& fileName, int records) {
    if (records == 1)
        return QStringLiteral("The record in the data file is already in the electronic file "
                              "%1; the program stopped before it could remove it. Remove it "
                              "from the data file now?")
            .arg(fileName);
    return QStringLiteral("The %1 records in the data file are already in the electronic file "
                          "%2; the program stopped before it could remove them. Remove them "
                          "from the data file now?")
        .arg(QString::number(records), fileName);
}

FileStatus InterruptedSubmission::finish(const QString& appPath, bool& dataFileRemoved) {
    return SubmissionWriter(appPath).removeDataFile(dataFileRemoved);
}
