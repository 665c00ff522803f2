#include "window/main/DeleteRecovery.h"

#include "storage/RecordStore.h"
#include "window/main/RecordPresenter.h"
#include "window/services/MessageService.h"

#include <QDir>

namespace {

// The advice that fits the failure, as a sentence to append; none where none fits.
QString adviceSentence(const FileStatus& status) {
    const QString advice = status.advice();
    return advice.isEmpty() ? QString() : QLatin1Char(' ') + advice;
}

} // namespace

DeleteRecovery::DeleteRecovery(RecordStore& store, RecordPresenter& presenter,
                               MessageService& messages)
    : store_(store), presenter_(presenter), messages_(messages) {}

// A failed delete normally leaves the file as it was. It can also fail after the shorter file
// already took the old one's place (flushing the folder, reopening): the record is then gone,
// and the window must follow.
bool DeleteRecovery::afterFailedRemove(const FileStatus& failure, int storedBefore) {
    if (!store_.isOpen()) {
        if (FileStatus reopened = store_.open(); !reopened) {
            // The values shown may be those of a record that is gone.
            presenter_.forgetShownRecord();
            showDeleteFailureWithFileClosed(failure, reopened);
            return false;
        }
    }
    emit fileFailed(failure);
    int storedNow = 0;
    if (FileStatus counted = store_.count(storedNow); !counted) {
        // Whether the record is gone is unknown: nothing may be saved over a record that moved.
        presenter_.forgetShownRecord();
        emit fileFailed(counted);
        store_.close();
        return false;
    }
    return storedNow < storedBefore;
}

void DeleteRecovery::showUnreadableAfterDelete(int record, const FileStatus& status) {
    messages_.show(
        QStringLiteral("The record was deleted, but the record now numbered %1 could not be "
                       "read:\r\n%2\r\n%3\r\n\r\nThe window still shows the deleted record, which "
                       "is not saved again. Record %1 is read again before anything is saved.%4")
            .arg(QString::number(record), QDir::toNativeSeparators(status.path()), status.reason(),
                 adviceSentence(status)),
        QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}

void DeleteRecovery::showDeleteFailureWithFileClosed(const FileStatus& failure,
                                                     const FileStatus& reopened) {
    messages_.show(
        QStringLiteral("The delete did not finish:\r\n%1\r\n%2\r\n\r\nThe data file could not be "
                       "opened again:\r\n%3\r\n%4\r\n\r\nNothing can be saved now. Exit ends the "
                       "program without saving.%5")
            .arg(QDir::toNativeSeparators(failure.path()), failure.reason(),
                 QDir::toNativeSeparators(reopened.path()), reopened.reason(),
                 adviceSentence(reopened)),
        QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}
