#include "window/main/DuplicateWarning.h"

#include "submission/DuplicateIndex.h"
#include "window/main/SentRecordsReading.h"
#include "window/main/StoredRecordsWait.h"
#include "window/services/MessageService.h"

#include <QDir>

DuplicateWarning::DuplicateWarning(QWidget& window, MessageService& messages, DuplicateIndex& index,
                                   SentRecordsReading& sent, const RecordStore& store,
                                   QObject* parent)
    : QObject(parent), window_(window), messages_(messages), index_(index), sent_(sent),
      store_(store) {}

void DuplicateWarning::newRecordSaved(int recordNumber, const ResultRecord& record) {
    // The record is saved whatever becomes of the check, and the check compares it with every
    // record that can be read. What it could not compare is told after the save: the data file
    // every time, a file in Submit once a run.
    const QString title = QStringLiteral("Update Record");
    const bool sentRead = sent_.waitUntilRead(title);
    const FileStatus stored = StoredRecordsWait::bringIndexUpToDate(window_, title, store_, index_);
    QList<FileStatus> unreadable;
    for (const FileStatus& file : index_.unreadableFiles()) {
        if (!told_.contains(file.path())) {
            told_.insert(file.path());
            unreadable.append(file);
        }
    }
    QStringList damaged;
    for (const QString& file : index_.damagedFiles()) {
        if (!told_.contains(file)) {
            told_.insert(file);
            damaged.append(file);
        }
    }
    QStringList lines;
    if (!stored)
        lines << QStringLiteral("The records of the data file could not be read and were not "
                                "checked:")
              << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(stored.path()),
                                               stored.reason());
    if (!sentRead)
        lines << QStringLiteral("The records already sent (the files in Submit) were not "
                                "checked: their reading was cancelled.");
    lines += DuplicateIndex::notCheckedLines(unreadable, damaged);
    if (!lines.isEmpty())
        messages_.show(QStringLiteral("The record was saved, but it could not be compared with "
                                      "every other record for possible duplicates.\r\n\r\n") +
                           lines.join(QStringLiteral("\r\n")),
                       QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
    if (const auto match = index_.find(record, recordNumber))
        messages_.show(DuplicateIndex::possibleDuplicateMessage(*match),
                       QLatin1String(PossibleDuplicateTitle), MessageButtons::Ok,
                       MessageIcon::Warning);
}
