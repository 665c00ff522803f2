#include "submission/FollowUpList.h"

#include "reference/FollowUpSchedule.h"
#include "storage/RecordStream.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/DuplicateIndex.h"
#include "submission/SubmissionFolder.h"
#include "validation/DateCheck.h"
#include "validation/DuplicateRule.h"
#include "validation/EntryRules.h"
#include "validation/RecordList.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

using F = ResultRecord;

// A date taken as the program's date check accepts it (a real date of 1900 to 2099, not after
// today), else an invalid date.
QDate takenDate(const QString& dateTaken, const QDate& today) {
    if (dateTaken.size() != 8 ||
        DateCheck::decideValidateDate(dateTaken, DateTakenCode, DateBoxValues(), today).showMessage)
        return QDate();
    return QDate(dateTaken.mid(4, 4).toInt(), dateTaken.left(2).toInt(),
                 dateTaken.mid(2, 2).toInt());
}

// Digits with at most one decimal point, as typed into the result box ("12", "12.5", ".5").
bool isNumber(const QString& text) {
    int digits = 0;
    int points = 0;
    for (const QChar ch : text) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            ++digits;
        else if (ch == QLatin1Char('.'))
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

QString sampleWord(const QString& testType) {
    if (testType == QLatin1String("C"))
        return QStringLiteral("capillary");
    if (testType == QLatin1String("V"))
        return QStringLiteral("venous");
    return QString();
}

// The fields a row shows or judges, in the order of FollowUpFields.
constexpr F::Field kRowFields[] = {F::LastName, F::FirstName,      F::DateOfBirth, F::DateTaken,
                                   F::PbResult, F::BelowDetection, F::TestType};

QString days(int count) {
    return count == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(count);
}

} // namespace

QStringList FollowUpRow::values() const {
    return {lastName, firstName, dateOfBirth, latestResult, nextTest, dueByText, status};
}

QStringList FollowUpRow::columnTitles() {
    return {QStringLiteral("Last Name"),     QStringLiteral("First Name"),
            QStringLiteral("Date of Birth"), QStringLiteral("Latest Result"),
            QStringLiteral("Next Test"),     QStringLiteral("Due By"),
            QStringLiteral("Status")};
}

FollowUpList::FollowUpList(const QDate& today) : today_(today) {}

void FollowUpList::addStoredRecords(const QList<ResultRecord>& records) {
    stored_ = records;
    for (int n = 1; n <= stored_.size(); ++n) {
        const ResultRecord& record = stored_.at(n - 1);
        Candidate candidate;
        candidate.number = n;
        candidate.rank = record.trimmed(F::TestType) == QLatin1String("V") ? 1 : 0;
        add(candidate, record.get(F::LastName), record.get(F::FirstName),
            record.get(F::DateOfBirth), record.trimmed(F::DateTaken));
    }
}

FileStatus FollowUpList::addSubmissionFolder(const QString& folder, const Progress& progress) {
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = SubmissionFolder::list(folder, listed); !status) {
        unreadable_.append(status);
        return status;
    }
    QStringList names;
    for (const SubmissionFolder::ListedFile& file : listed)
        names.append(file.fileName);
    names.sort();
    const int total = int(names.size());
    int done = 0;
    const auto goOn = [&] { return !progress || progress(done, total); };
    if (!goOn()) {
        stopped_ = true;
        return FileStatus::success();
    }
    const QDir dir(folder);
    // A file that fails part way adds none of its records, as a file read whole adds none: the
    // folder is read again from the records found before it, without that file.
    const Found before = found_;
    const qsizetype namesBefore = fileNames_.size();
    const qsizetype unreadableBefore = unreadable_.size();
    const qsizetype damagedBefore = damaged_.size();
    QHash<QString, FileStatus> failedPartWay;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        if (const auto failed = failedPartWay.constFind(name); failed != failedPartWay.constEnd()) {
            unreadable_.append(failed.value());
        } else {
            FileStatus status;
            const Reading reading = readSubmissionFile(dir.filePath(name), name, goOn, status);
            if (reading == Reading::Stopped) {
                stopped_ = true;
                return FileStatus::success();
            }
            if (reading == Reading::FailedPartWay) {
                failedPartWay.insert(name, status);
                found_ = before;
                fileNames_.resize(namesBefore);
                unreadable_.resize(unreadableBefore);
                damaged_.resize(damagedBefore);
                done = 0;
                i = -1;
                continue;
            }
        }
        ++done;
        if (!goOn()) {
            stopped_ = true;
            return FileStatus::success();
        }
    }
    return FileStatus::success();
}

FollowUpList::Reading FollowUpList::readSubmissionFile(const QString& path, const QString& name,
                                                       const std::function<bool()>& goOn,
                                                       FileStatus& status) {
    RecordStream stream;
    status = stream.open(path);
    if (!status) {
        unreadable_.append(status);
        return Reading::Done;
    }
    const int source = int(fileNames_.size());
    fileNames_.append(name);
    RecordFile piece;
    int first = 0;
    bool read = false;
    while (stream.next(piece, first)) {
        read = true;
        for (int n = 1; n <= piece.recordCount(); ++n)
            addRecord(source, first + n - 1, piece, n);
        if (!goOn())
            return Reading::Stopped;
    }
    status = stream.status();
    if (!status) {
        if (read)
            return Reading::FailedPartWay;
        fileNames_.removeLast();
        unreadable_.append(status);
        return Reading::Done;
    }
    if (!stream.isWhole())
        damaged_.append(QStringLiteral("%1 (%2)").arg(
            QDir::toNativeSeparators(SafeFile::displayName(path)), stream.damage()));
    return Reading::Done;
}

void FollowUpList::addSubmissionFile(const QString& fileName, const RecordFile& file) {
    const int source = int(fileNames_.size());
    fileNames_.append(fileName);
    for (int n = 1; n <= file.recordCount(); ++n)
        addRecord(source, n, file, n);
}

void FollowUpList::addRecord(int source, int number, const RecordFile& piece, int n) {
    Candidate candidate;
    candidate.source = source;
    candidate.number = number;
    // The fields a row needs, as their bytes: a torn record's missing bytes are blanks.
    const QByteArray& bytes = piece.bytes();
    const qsizetype start = qsizetype(n - 1) * ResultRecord::Size;
    int at = 0;
    for (const F::Field field : kRowFields) {
        const qsizetype from = start + ResultRecord::offset(field);
        for (int i = 0; i < ResultRecord::width(field); ++i, ++at)
            candidate.fields[size_t(at)] = from + i < bytes.size() ? bytes.at(from + i) : ' ';
    }
    const FollowUpFields fields = fieldsOf(candidate);
    candidate.rank = fields.testType == QLatin1String("V") ? 1 : 0;
    add(candidate, fields.lastName, fields.firstName, fields.dateOfBirth, fields.dateTaken);
}

void FollowUpList::add(Candidate candidate, const QString& lastName, const QString& firstName,
                       const QString& dateOfBirth, const QString& dateTaken) {
    // Records share few dates: each is checked once.
    auto known = days_.constFind(dateTaken);
    if (known == days_.cend()) {
        const QDate taken = takenDate(dateTaken, today_);
        known = days_.insert(dateTaken, taken.isValid() ? int(taken.toJulianDay()) : 0);
    }
    candidate.day = *known;
    const QString key = DuplicateRule::childKey(lastName, firstName, dateOfBirth);
    if (key.isEmpty()) {
        // Whether a record naming no child is listed depends on it alone: one that calls for
        // nothing is not kept.
        if (decide(fieldsOf(candidate), today_).kind != FollowUpDecision::Kind::NotListed)
            found_.unnamed.append(candidate);
        return;
    }
    Child& child = found_.children[key];
    if (candidate.day == 0) {
        if (child.undated < 0) {
            child.undated = int(found_.undated.size());
            found_.undated.append(candidate);
        } else {
            found_.undated[child.undated] = candidate;
        }
        return;
    }
    const Candidate& latest = child.latest;
    if (!child.hasLatest || candidate.day > latest.day ||
        (candidate.day == latest.day && candidate.rank >= latest.rank)) {
        child.latest = candidate;
        child.hasLatest = true;
    }
}

FollowUpFields FollowUpFields::of(const ResultRecord& record) {
    return {record.trimmed(F::LastName),    record.trimmed(F::FirstName),
            record.trimmed(F::DateOfBirth), record.trimmed(F::DateTaken),
            record.trimmed(F::PbResult),    record.trimmed(F::BelowDetection),
            record.trimmed(F::TestType)};
}

FollowUpFields FollowUpList::fieldsOf(const Candidate& candidate) const {
    if (candidate.source < 0)
        return FollowUpFields::of(stored_.at(candidate.number - 1));
    // Blanks are trimmed before decoding, as RecordFile::field reads a field.
    QString values[std::size(kRowFields)];
    int at = 0;
    for (size_t i = 0; i < std::size(kRowFields); ++i) {
        const int width = ResultRecord::width(kRowFields[i]);
        int begin = at;
        int end = at + width;
        while (begin < end && candidate.fields[size_t(begin)] == ' ')
            ++begin;
        while (end > begin && candidate.fields[size_t(end - 1)] == ' ')
            --end;
        values[i] = Windows1252::decode(
            QByteArray::fromRawData(candidate.fields.data() + begin, end - begin));
        at += width;
    }
    return {values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
}

FollowUpDecision FollowUpList::decide(const FollowUpFields& latest, const QDate& today) {
    using Kind = FollowUpDecision::Kind;
    FollowUpDecision decision;
    auto check = [&](const char* problem) {
        decision.kind = Kind::CheckRecord;
        decision.problem = QLatin1String(problem);
        return decision;
    };
    decision.result = EntryRules::storedResultDisplay(latest.pbResult, latest.belowDetection).state;
    const QDate taken = takenDate(latest.dateTaken, today);
    if (!taken.isValid())
        return check("The date taken is not a valid date.");
    const QString& testType = latest.testType;
    if (sampleWord(testType).isEmpty())
        return check("The test type is neither capillary nor venous.");
    double level = 0;
    switch (decision.result) {
    case ResultState::Low:
        level = -std::numeric_limits<double>::infinity();
        break;
    case ResultState::High:
        level = std::numeric_limits<double>::infinity();
        break;
    case ResultState::Measured: {
        if (!isNumber(latest.pbResult))
            return check("The result is not a number.");
        level = TextValue::numericValue(latest.pbResult);
        break;
    }
    }
    const FollowUpSchedule::Sample sample = testType == QLatin1String("V")
                                                ? FollowUpSchedule::Sample::Venous
                                                : FollowUpSchedule::Sample::Capillary;
    const FollowUpSchedule::Step* step = FollowUpSchedule::stepFor(sample, level);
    if (!step)
        return decision;
    decision.kind = Kind::Due;
    decision.nextTest = QLatin1String(step->nextTest);
    decision.dueBy = FollowUpSchedule::dueBy(*step, taken);
    return decision;
}

QString FollowUpList::latestResultText(const FollowUpFields& record, ResultState state) {
    QString result;
    switch (state) {
    case ResultState::Low:
        result = QStringLiteral("Low Result");
        break;
    case ResultState::High:
        result = QStringLiteral("High Result");
        break;
    case ResultState::Measured:
        result = record.pbResult;
        break;
    }
    const QString sample = sampleWord(record.testType);
    const QString taken = RecordList::displayDate(record.dateTaken);
    QString text = result;
    if (!sample.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + sample;
    if (!taken.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + taken;
    return text;
}

QString FollowUpList::statusText(int daysLeft) {
    if (daysLeft < 0)
        return QStringLiteral("Overdue ") + days(-daysLeft);
    if (daysLeft == 0)
        return QStringLiteral("Due today");
    return QStringLiteral("Due in ") + days(daysLeft);
}

QString FollowUpList::summary(const QList<FollowUpRow>& rows) {
    int due = 0;
    int overdue = 0;
    for (const FollowUpRow& row : rows) {
        if (row.checkRecord)
            continue;
        ++due;
        if (row.overdue())
            ++overdue;
    }
    return QStringLiteral("%1 %2 due, %3 overdue")
        .arg(due)
        .arg(QLatin1String(due == 1 ? "child" : "children"))
        .arg(overdue);
}

FollowUpRow FollowUpList::rowFor(const Candidate& candidate, const FollowUpFields& record,
                                 const FollowUpDecision& decision) const {
    FollowUpRow row;
    row.lastName = record.lastName;
    row.firstName = record.firstName;
    row.dateOfBirth = RecordList::displayDate(record.dateOfBirth);
    row.latestResult = latestResultText(record, decision.result);
    row.submissionFile = candidate.source < 0 ? QString() : fileNames_.at(candidate.source);
    row.recordNumber = candidate.number;
    if (decision.kind == FollowUpDecision::Kind::Due) {
        row.nextTest = decision.nextTest;
        row.dueBy = decision.dueBy;
        row.dueByText = QLocale::c().toString(decision.dueBy, QStringLiteral("MM/dd/yyyy"));
        row.daysLeft = int(today_.daysTo(decision.dueBy));
        row.status = statusText(row.daysLeft);
    } else {
        row.checkRecord = true;
        row.status = checkRecordStatus();
        row.problem = decision.problem;
    }
    return row;
}

QList<FollowUpRow> FollowUpList::rows() const {
    QList<FollowUpRow> rows;
    rows.reserve(found_.children.size() + found_.unnamed.size());
    for (const Child& child : found_.children) {
        if (child.undated >= 0) {
            const Candidate& candidate = found_.undated.at(child.undated);
            const FollowUpFields undated = fieldsOf(candidate);
            FollowUpDecision decision = decide(undated, today_);
            decision.kind = FollowUpDecision::Kind::CheckRecord;
            decision.problem = QStringLiteral("The date taken is not a valid date.");
            rows.append(rowFor(candidate, undated, decision));
            continue;
        }
        const FollowUpFields latest = fieldsOf(child.latest);
        const FollowUpDecision decision = decide(latest, today_);
        if (decision.kind != FollowUpDecision::Kind::NotListed)
            rows.append(rowFor(child.latest, latest, decision));
    }
    for (const Candidate& candidate : found_.unnamed) {
        const FollowUpFields record = fieldsOf(candidate);
        FollowUpDecision decision = decide(record, today_);
        if (decision.kind == FollowUpDecision::Kind::NotListed)
            continue;
        if (decision.kind == FollowUpDecision::Kind::Due) {
            decision.kind = FollowUpDecision::Kind::CheckRecord;
            decision.problem =
                QStringLiteral("The last name, first name or date of birth is blank.");
        }
        rows.append(rowFor(candidate, record, decision));
    }
    std::sort(rows.begin(), rows.end(), [](const FollowUpRow& a, const FollowUpRow& b) {
        if (a.checkRecord != b.checkRecord)
            return a.checkRecord;
        if (!a.checkRecord && a.dueBy != b.dueBy)
            return a.dueBy < b.dueBy;
        const int last = a.lastName.compare(b.lastName, Qt::CaseInsensitive);
        if (last != 0)
            return last < 0;
        const int first = a.firstName.compare(b.firstName, Qt::CaseInsensitive);
        if (first != 0)
            return first < 0;
        if (a.dateOfBirth != b.dateOfBirth)
            return a.dateOfBirth < b.dateOfBirth;
        return a.recordNumber < b.recordNumber;
    });
    return rows;
}

QStringList FollowUpList::fileLines() const {
    return DuplicateIndex::notCheckedLines(unreadable_, damaged_);
}
