#include "storage/RecordStream.h"

#include "storage/RecordStore.h"

#include <fcntl.h>

RecordStream::RecordStream(int chunkRecords)
    : chunkRecords_(chunkRecords < 2 ? 2 : chunkRecords + chunkRecords % 2) {}

FileStatus RecordStream::open(const QString& path) {
    path_ = path;
    length_ = 0;
    offset_ = 0;
    withoutLineEnd_ = 0;
    fd_ = SafeFile::Descriptor();
    status_ = SafeFile::openRegular(path, O_RDONLY, fd_);
    if (status_)
        status_ = SafeFile::lengthOf(fd_.get(), path, length_);
    if (!status_) {
        fd_ = SafeFile::Descriptor();
        length_ = 0;
    }
    return status_;
}

int RecordStream::recordCount() const {
    return RecordStore::countForLength(length_);
}

bool RecordStream::next(RecordFile& piece, int& firstNumber) {
    piece = RecordFile();
    firstNumber = 0;
    if (!status_ || !fd_.isOpen() || offset_ >= length_)
        return false;
    const qint64 wanted =
        qMin<qint64>(qint64(chunkRecords_) * ResultRecord::Size, length_ - offset_);
    QByteArray bytes;
    status_ = SafeFile::readAt(fd_.get(), path_, offset_, wanted, bytes);
    if (!status_)
        return false;
    if (bytes.isEmpty()) {
        // The file ended before the length taken at opening: it ends here.
        length_ = offset_;
        return false;
    }
    if (bytes.size() < wanted)
        length_ = offset_ + bytes.size();
    firstNumber = int(offset_ / ResultRecord::Size) + 1;
    offset_ += bytes.size();
    piece = RecordFile(std::move(bytes));
    withoutLineEnd_ += piece.withoutLineEnd();
    return true;
}

bool RecordStream::isWhole() const {
    return RecordFile::leftOverIn(length_) == 0 && withoutLineEnd_ == 0;
}

QString RecordStream::damage() const {
    return RecordFile::damageText(int(RecordFile::wholeRecordsIn(length_)),
                                  RecordFile::leftOverIn(length_), withoutLineEnd_);
}

FileStatus RecordStream::readRecord(int n, ResultRecord& record) {
    record = ResultRecord::decode(QByteArray());
    if (!fd_.isOpen())
        return FileStatus::failure(path_, QStringLiteral("The file is not open"));
    if (n < 1 || n > recordCount())
        return FileStatus::failure(path_, QStringLiteral("The file holds no record %1").arg(n));
    QByteArray bytes;
    const FileStatus status = SafeFile::readAt(fd_.get(), path_, qint64(n - 1) * ResultRecord::Size,
                                               ResultRecord::Size, bytes);
    if (status)
        record = ResultRecord::decode(bytes);
    return status;
}
