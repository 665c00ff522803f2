#include "submission/FollowUpList.h"

#include "reference/FollowUpSchedule.h"
#include "storage/RecordStream.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/DuplicateIndex.h"
#include "submission/SubmissionFolder.h"
#include "validation/DateCheck.h"
#include "validation/EntryRules.h"
#include "validation/RecordList.h"

#include <QDir>
#include <QLocale>
#include <QVarLengthArray>

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

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

QString summaryText(int due, int overdue) {
    return QStringLiteral("%1 %2 due, %3 overdue")
        .arg(due)
        .arg(QLatin1String(due == 1 ? "child" : "children"))
        .arg(overdue);
}

// The fields of kRowFields by their index, among an entry's field bytes.
enum RowField { Last, First, Born, Taken, Result, Below, Type, RowFieldCount };

struct FieldPlace {
    int at = 0;     // among the entry's bytes
    int offset = 0; // in the record
    int width = 0;
};

const std::array<FieldPlace, RowFieldCount>& rowFieldPlaces() {
    static const std::array<FieldPlace, RowFieldCount> places = [] {
        std::array<FieldPlace, RowFieldCount> made{};
        int at = 0;
        for (int i = 0; i < RowFieldCount; ++i) {
            made[size_t(i)] = {at, ResultRecord::offset(kRowFields[i]),
                               ResultRecord::width(kRowFields[i])};
            at += made[size_t(i)].width;
        }
        Q_ASSERT(at == 54 && made[Taken].width == 8);
        return made;
    }();
    return places;
}

// A field among an entry's bytes, its blanks trimmed (as RecordFile::field reads a field).
QByteArrayView fieldBytes(const std::array<char, 54>& fields, RowField field) {
    const FieldPlace& place = rowFieldPlaces()[field];
    const char* begin = fields.data() + place.at;
    const char* end = begin + place.width;
    while (begin < end && *begin == ' ')
        ++begin;
    while (end > begin && end[-1] == ' ')
        --end;
    return QByteArrayView(begin, end - begin);
}

FollowUpFields fieldsOf(const std::array<char, 54>& fields) {
    QString values[RowFieldCount];
    for (int i = 0; i < RowFieldCount; ++i)
        values[i] = Windows1252::decode(fieldBytes(fields, RowField(i)));
    return {values[0], values[1], values[2], values[3], values[4], values[5], values[6]};
}

// Each byte of the code page as its one UTF-16 unit, and that unit case-folded. Every character
// of the code page lies in the basic plane and folds to one unit, so that a text's case-folded
// form is its bytes' folded units, one for one.
struct CodePage {
    std::array<char16_t, 256> unit{};
    std::array<char16_t, 256> folded{};
};

const CodePage& codePage() {
    static const CodePage table = [] {
        CodePage made;
        for (int byte = 0; byte < 256; ++byte) {
            const char ch = char(byte);
            const QChar unit = Windows1252::decode(QByteArrayView(&ch, 1)).at(0);
            made.unit[size_t(byte)] = unit.unicode();
            made.folded[size_t(byte)] = unit.toCaseFolded().unicode();
        }
        return made;
    }();
    return table;
}

using KeyUnits = QVarLengthArray<char16_t, 64>;

// DuplicateRule::childKey of the three fields' bytes, blanks trimmed: the names case-folded,
// each part followed by the separator 0x1F. False (and no key) when a part is blank.
bool makeKey(QByteArrayView last, QByteArrayView first, QByteArrayView born, KeyUnits& key) {
    const CodePage& page = codePage();
    key.clear();
    const QByteArrayView parts[] = {last, first, born};
    for (int i = 0; i < 3; ++i) {
        QByteArrayView part = parts[i];
        while (!part.isEmpty() && part.front() == ' ')
            part = part.sliced(1);
        while (!part.isEmpty() && part.back() == ' ')
            part.chop(1);
        if (part.isEmpty())
            return false;
        const auto& units = i < 2 ? page.folded : page.unit;
        for (const char byte : part)
            key.append(units[uchar(byte)]);
        key.append(char16_t(0x1F));
    }
    return true;
}

// RecordList::displayDate of a trimmed date's bytes, as UTF-16 units: "MM/DD/YYYY".
int shownDate(QByteArrayView date, char16_t* out) {
    int length = 0;
    for (qsizetype i = 0; i < date.size(); ++i) {
        if (i == 2 || i == 4)
            out[length++] = u'/';
        out[length++] = codePage().unit[uchar(date[i])];
    }
    return length;
}

template <typename T>
int compareUnits(const T* a, qsizetype aLength, const T* b, qsizetype bLength) {
    const qsizetype common = std::min(aLength, bLength);
    for (qsizetype i = 0; i < common; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

// The two dates as their shown texts compare (QString's order of UTF-16 units).
int compareShownDates(QByteArrayView a, QByteArrayView b) {
    // A date of birth is at most 8 bytes: 10 units shown.
    char16_t shownA[16];
    char16_t shownB[16];
    return compareUnits(shownA, shownDate(a, shownA), shownB, shownDate(b, shownB));
}

// The array is reserved for the files' records up to this many; beyond, it grows as it needs.
constexpr size_t kReserveAtMost = size_t(1) << 24;

// The dates taken whose days are kept (every day of 1900 to 2099 fits): about 4 MiB.
constexpr qsizetype kDaysKeptAtMost = qsizetype(1) << 17;

// Rows merged between two looks at whether to stop.
constexpr qint64 kRowsBetweenLooks = 65536;

// The temporary files as a failure names them.
QString temporaryFileName() {
    return QDir(QDir::tempPath()).filePath(QStringLiteral("(the list's temporary file)"));
}

} // namespace

void* FollowUpPages::take(size_t bytes) {
    if (bytes < kMapAtLeast)
        return ::operator new(bytes);
    void* pages =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        throw std::bad_alloc();
    return pages;
}

void FollowUpPages::giveBack(void* pages, size_t bytes) {
    if (bytes < kMapAtLeast)
        ::operator delete(pages);
    else
        ::munmap(pages, bytes);
}

QStringList FollowUpRow::values() const {
    return {lastName, firstName, dateOfBirth, latestResult, nextTest, dueByText, status};
}

QStringList FollowUpRow::columnTitles() {
    return {QStringLiteral("Last Name"),     QStringLiteral("First Name"),
            QStringLiteral("Date of Birth"), QStringLiteral("Latest Result"),
            QStringLiteral("Next Test"),     QStringLiteral("Due By"),
            QStringLiteral("Status")};
}

// ---- the rows ----------------------------------------------------------------------------

const FollowUpRows::Source& FollowUpRows::sourceOf(const Entry& entry) const {
    // The last source that begins at or before the record: a source without records shares its
    // first ordinal with the next one.
    const auto after = std::upper_bound(
        sources_.begin(), sources_.end(), entry.ordinal,
        [](quint32 ordinal, const Source& source) { return ordinal < source.firstOrdinal; });
    Q_ASSERT(after != sources_.begin());
    return *(after - 1);
}

bool FollowUpRows::before(const Entry& a, const Entry& b) const {
    if (a.key != b.key)
        return a.key < b.key;
    if (const int last =
            FollowUpList::compareNames(fieldBytes(a.fields, Last), fieldBytes(b.fields, Last)))
        return last < 0;
    if (const int first =
            FollowUpList::compareNames(fieldBytes(a.fields, First), fieldBytes(b.fields, First)))
        return first < 0;
    if (const int born = compareShownDates(fieldBytes(a.fields, Born), fieldBytes(b.fields, Born)))
        return born < 0;
    const quint32 numberA = a.ordinal - sourceOf(a).firstOrdinal;
    const quint32 numberB = b.ordinal - sourceOf(b).firstOrdinal;
    if (numberA != numberB)
        return numberA < numberB;
    return a.ordinal < b.ordinal;
}

FollowUpRow FollowUpRows::at(int i) const {
    Entry read;
    if (file_) {
        Q_ASSERT(i >= 0 && i < file_->count);
        const FileStatus status = SafeFile::readExactlyAt(
            file_->fd.get(), temporaryFileName(), qint64(i) * qint64(sizeof read),
            reinterpret_cast<char*>(&read), qint64(sizeof read));
        if (!status) {
            // Never another row's texts, nor blanks that pass for a row.
            FollowUpRow row;
            row.checkRecord = true;
            row.status = FollowUpList::checkRecordStatus();
            row.problem =
                QStringLiteral("This row could not be read back: %1").arg(status.describe());
            return row;
        }
    }
    const Entry& entry = file_ ? read : entries_.at(size_t(i));
    const FollowUpFields record = fieldsOf(entry.fields);
    FollowUpDecision decision = FollowUpList::decide(record, today_);
    if (entry.unnamed() && decision.kind == FollowUpDecision::Kind::Due) {
        decision.kind = FollowUpDecision::Kind::CheckRecord;
        decision.problem = QStringLiteral("The last name, first name or date of birth is blank.");
    }
    const Source& source = sourceOf(entry);
    FollowUpRow row;
    row.lastName = record.lastName;
    row.firstName = record.firstName;
    row.dateOfBirth = RecordList::displayDate(record.dateOfBirth);
    row.latestResult = FollowUpList::latestResultText(record, decision.result);
    row.submissionFile = source.file < 0 ? QString() : fileNames_.at(source.file);
    row.recordNumber = int(entry.ordinal - source.firstOrdinal) + 1;
    if (decision.kind == FollowUpDecision::Kind::Due) {
        row.nextTest = decision.nextTest;
        row.dueBy = decision.dueBy;
        row.dueByText = QLocale::c().toString(decision.dueBy, QStringLiteral("MM/dd/yyyy"));
        row.daysLeft = int(today_.daysTo(decision.dueBy));
        row.status = FollowUpList::statusText(row.daysLeft);
    } else {
        row.checkRecord = true;
        row.status = FollowUpList::checkRecordStatus();
        row.problem = decision.problem;
    }
    return row;
}

QString FollowUpRows::summary() const {
    if (file_)
        return summaryText(file_->due, file_->overdue);
    const auto today = quint64(today_.toJulianDay());
    int due = 0;
    int overdue = 0;
    for (const Entry& entry : entries_) {
        if (entry.key == 0)
            continue;
        ++due;
        if (entry.key < today)
            ++overdue;
    }
    return summaryText(due, overdue);
}

QList<FollowUpRow> FollowUpRows::toList() const {
    QList<FollowUpRow> rows;
    rows.reserve(size());
    for (int i = 0; i < size(); ++i)
        rows.append(at(i));
    return rows;
}

// ---- reading -----------------------------------------------------------------------------

quint64 FollowUpList::keyHash(QStringView key) {
    return quint64(qHashBits(key.data(), size_t(key.size()) * sizeof(QChar), 0x466f6c6c));
}

FollowUpList::FollowUpList(const QDate& today, KeyHash hash, size_t reduceAtLeast,
                           size_t memoryBudget)
    : today_(today), hash_(hash), reduceAtLeast_(std::max<size_t>(reduceAtLeast, 1)),
      reduceAllAt_(reduceAtLeast_),
      budgetEntries_(std::max<size_t>(memoryBudget / sizeof(Entry), 4)) {
    made_.today_ = today;
}

void FollowUpList::addStoredRecords(const QList<ResultRecord>& records) {
    // A record's fields hold only what the code page stores (ResultRecord::set), so that its
    // bytes read back as the very texts.
    beginSource(-1);
    makeRoom(size_t(records.size()));
    for (int n = 1; n <= records.size(); ++n) {
        const QByteArray bytes = records.at(n - 1).encode();
        addRecord(bytes.constData(), bytes.size(), n);
    }
    endSource();
}

FileStatus FollowUpList::addSubmissionFolder(const QString& folder, const Progress& progress) {
    QList<SubmissionFolder::ListedFile> listed;
    if (FileStatus status = SubmissionFolder::list(folder, listed); !status) {
        unreadable_.append(status);
        return status;
    }
    QStringList names;
    qint64 bytes = 0;
    for (const SubmissionFolder::ListedFile& file : listed) {
        names.append(file.fileName);
        bytes += std::max<qint64>(file.length, 0);
    }
    names.sort();
    // Room for every record listed, taken once: the pages are only used as records come.
    const size_t records = size_t((bytes + ResultRecord::Size - 1) / ResultRecord::Size);
    expectedRecords_ = made_.entries_.size() + records + expected_;
    made_.entries_.reserve(std::min(
        made_.entries_.size() + std::min(records + expected_, kReserveAtMost), budgetEntries_));
    const int total = int(names.size());
    progress_ = progress;
    progressTotal_ = total;
    int done = 0;
    const auto goOn = [&] { return !progress || progress(done, total); };
    if (!goOn()) {
        stopped_ = true;
        return FileStatus::success();
    }
    const QDir dir(folder);
    for (const QString& name : std::as_const(names)) {
        if (!readSubmissionFile(dir.filePath(name), name, goOn)) {
            stopped_ = true;
            return FileStatus::success();
        }
        ++done;
        if (!goOn()) {
            stopped_ = true;
            return FileStatus::success();
        }
    }
    return FileStatus::success();
}

bool FollowUpList::readSubmissionFile(const QString& path, const QString& name,
                                      const std::function<bool()>& goOn) {
    RecordStream stream;
    if (FileStatus status = stream.open(path); !status) {
        unreadable_.append(status);
        return true;
    }
    made_.fileNames_.append(name);
    beginSource(int(made_.fileNames_.size()) - 1);
    RecordFile piece;
    int first = 0;
    while (stream.next(piece, first)) {
        const QByteArray& bytes = piece.bytes();
        for (int n = 0; n < piece.recordCount(); ++n) {
            const qsizetype at = qsizetype(n) * ResultRecord::Size;
            addRecord(bytes.constData() + at, bytes.size() - at, first + n);
        }
        if (!goOn())
            return false;
    }
    if (FileStatus status = stream.status(); !status) {
        // A file that fails part way adds none of its records, as a file read whole adds none.
        takeBackSource();
        made_.fileNames_.removeLast();
        unreadable_.append(status);
        return true;
    }
    if (!stream.isWhole())
        damaged_.append(QStringLiteral("%1 (%2)").arg(
            QDir::toNativeSeparators(SafeFile::displayName(path)), stream.damage()));
    endSource();
    return true;
}

void FollowUpList::addSubmissionFile(const QString& fileName, const RecordFile& file) {
    made_.fileNames_.append(fileName);
    beginSource(int(made_.fileNames_.size()) - 1);
    makeRoom(size_t(file.recordCount()));
    const QByteArray& bytes = file.bytes();
    for (int n = 0; n < file.recordCount(); ++n) {
        const qsizetype at = qsizetype(n) * ResultRecord::Size;
        addRecord(bytes.constData() + at, bytes.size() - at, n + 1);
    }
    endSource();
}

void FollowUpList::makeRoom(size_t records) {
    // Grown as a vector grows, so that many sources added one by one copy the array seldom.
    Entries& entries = made_.entries_;
    if (entries.size() + records > entries.capacity()) {
        size_t wanted = std::max(entries.size() + records, 2 * entries.capacity());
        // Never beyond the budget while records can be written out.
        if (!spillFailed_)
            wanted = std::max(std::min(wanted, budgetEntries_), entries.size());
        if (wanted > entries.capacity())
            entries.reserve(wanted);
    }
}

void FollowUpList::beginSource(int file) {
    made_.sources_.push_back({nextOrdinal_, file});
    sourceStart_ = made_.entries_.size();
    reduceSourceAt_ = sourceStart_ + reduceAtLeast_;
    sourceSpills_ = spills_;
}

void FollowUpList::endSource() {
    Entries& entries = made_.entries_;
    if (entries.size() < reduceAllAt_)
        return;
    reduce(0, false);
    reduceAllAt_ = entries.size() + std::max(reduceAtLeast_, entries.size());
}

void FollowUpList::takeBackSource() {
    // The records before the source are as they were: only its own were reduced meanwhile.
    made_.entries_.resize(sourceStart_);
    if (spills_ > sourceSpills_) {
        // Some of its records were written out: passed over by their places when read back, which
        // are therefore never given again.
        withdrawn_.emplace_back(made_.sources_.back().firstOrdinal, nextOrdinal_);
    } else {
        nextOrdinal_ = made_.sources_.back().firstOrdinal;
    }
    made_.sources_.pop_back();
}

void FollowUpList::addRecord(const char* record, qsizetype available, int number) {
    Entry entry;
    entry.ordinal = made_.sources_.back().firstOrdinal + quint32(number - 1);
    nextOrdinal_ = entry.ordinal + 1;
    const auto& places = rowFieldPlaces();
    for (const FieldPlace& place : places)
        for (int i = 0; i < place.width; ++i)
            entry.fields[size_t(place.at + i)] =
                place.offset + i < available ? record[place.offset + i] : ' ';

    // Records share few dates: each is checked once.
    quint64 taken = 0;
    std::memcpy(&taken, entry.fields.data() + places[Taken].at, sizeof taken);
    auto known = days_.constFind(taken);
    if (known == days_.cend()) {
        // Held to a bound: a file may hold as many texts that are no date as records.
        if (days_.size() >= kDaysKeptAtMost)
            days_.clear();
        const QDate date = takenDate(Windows1252::decode(fieldBytes(entry.fields, Taken)), today_);
        known = days_.insert(taken, date.isValid() ? int(date.toJulianDay()) : 0);
    }
    entry.dayRank = quint32(*known) << 2;
    if (fieldBytes(entry.fields, Type) == QByteArrayView("V"))
        entry.dayRank |= 2;

    KeyUnits key;
    if (makeKey(fieldBytes(entry.fields, Last), fieldBytes(entry.fields, First),
                fieldBytes(entry.fields, Born), key)) {
        entry.key = hash_(QStringView(key.constData(), key.size()));
    } else {
        // Whether a record naming no child is listed depends on it alone: one that calls for
        // nothing is not kept.
        if (decide(fieldsOf(entry.fields), today_).kind == FollowUpDecision::Kind::NotListed)
            return;
        entry.dayRank |= 1;
    }
    Entries& entries = made_.entries_;
    entries.push_back(entry);
    if (entries.size() >= reduceSourceAt_) {
        reduce(sourceStart_, false);
        reduceSourceAt_ = entries.size() + std::max(reduceAtLeast_, entries.size() - sourceStart_);
    }
    if (entries.size() >= budgetEntries_ && !spillFailed_)
        holdToBudget();
}

void FollowUpList::holdToBudget() {
    Entries& entries = made_.entries_;
    reduce(sourceStart_, false);
    reduceSourceAt_ = entries.size() + std::max(reduceAtLeast_, entries.size() - sourceStart_);
    if (entries.size() * 2 > budgetEntries_ && !spill())
        spillFailed_ = true;
}

int FollowUpList::partOf(const Entry& entry) const {
    // A record naming no child is put together with none: any part will do.
    if (entry.unnamed())
        return int(entry.ordinal & ((quint32(1) << partBits_) - 1));
    return int(entry.key >> (64 - partBits_));
}

bool FollowUpList::spill() {
    // Written as their bytes: every byte of an entry is a member's.
    static_assert(sizeof(Entry) == 72 && std::has_unique_object_representations_v<Entry>);
    if (spillFailed_)
        return false;
    Entries& entries = made_.entries_;
    if (!spillFile_) {
        auto file = std::make_shared<SpillFile>();
        if (!SafeFile::openAnonymous(QDir::tempPath(), file->fd))
            return false;
        // Parts of at most half the budget each, for every record the files may hold.
        const size_t half = std::max<size_t>(budgetEntries_ / 2, 1);
        const size_t estimate = std::max(expectedRecords_, 2 * entries.size());
        partBits_ = 1;
        while (partBits_ < 12 && (size_t(1) << partBits_) * half < estimate)
            ++partBits_;
        parts_.assign(size_t(1) << partBits_, {});
        spillFile_ = std::move(file);
    }
    std::sort(entries.begin(), entries.end(),
              [this](const Entry& a, const Entry& b) { return partOf(a) < partOf(b); });
    // Written whole before any piece counts: a failed write leaves the records in memory only.
    std::vector<std::pair<int, Piece>> written;
    qint64 at = spillFile_->end;
    for (size_t from = 0; from < entries.size();) {
        const int part = partOf(entries[from]);
        size_t to = from + 1;
        while (to < entries.size() && partOf(entries[to]) == part)
            ++to;
        const qint64 bytes = qint64(to - from) * qint64(sizeof(Entry));
        if (!SafeFile::writeAllAt(spillFile_->fd.get(), temporaryFileName(), at,
                                  reinterpret_cast<const char*>(entries.data() + from), bytes)) {
            // The records stay: those of the source begun last go back after the others, where
            // taking it back cuts them off.
            if (!made_.sources_.empty()) {
                const quint32 first = made_.sources_.back().firstOrdinal;
                std::partition(entries.begin(), entries.end(),
                               [first](const Entry& entry) { return entry.ordinal < first; });
            }
            return false;
        }
        written.push_back({part, Piece{at, qint64(to - from)}});
        at += bytes;
        from = to;
    }
    for (const auto& [part, piece] : written)
        parts_[size_t(part)].push_back(piece);
    spillFile_->end = at;
    ++spills_;
    entries.clear();
    sourceStart_ = 0;
    reduceSourceAt_ = reduceAtLeast_;
    reduceAllAt_ = reduceAtLeast_;
    return true;
}

namespace {

// Whether two records name the child in the very same bytes: then their keys are equal.
bool sameNames(const std::array<char, 54>& a, const std::array<char, 54>& b) {
    return fieldBytes(a, Last) == fieldBytes(b, Last) &&
           fieldBytes(a, First) == fieldBytes(b, First) &&
           fieldBytes(a, Born) == fieldBytes(b, Born);
}

QString keyOf(const std::array<char, 54>& fields) {
    return FollowUpList::childKey(fieldBytes(fields, Last), fieldBytes(fields, First),
                                  fieldBytes(fields, Born));
}

} // namespace

void FollowUpList::reduce(Entries& entries, size_t from, bool final) const {
    Entry* const first = entries.data() + from;
    Entry* const last = entries.data() + entries.size();
    // Each child's records side by side in the order they were added; the records that name no
    // child after them.
    std::sort(first, last, [](const Entry& a, const Entry& b) {
        if (a.unnamed() != b.unnamed())
            return b.unnamed();
        if (a.key != b.key)
            return a.key < b.key;
        return a.ordinal < b.ordinal;
    });
    // Each group is written over itself or over what earlier groups left: never ahead of it.
    Entry* out = first;
    for (Entry* group = first; group != last;) {
        if (group->unnamed()) {
            *out++ = *group++;
            continue;
        }
        Entry* end = group + 1;
        bool oneChild = true;
        for (; end != last && !end->unnamed() && end->key == group->key; ++end)
            oneChild = oneChild && sameNames(group->fields, end->fields);
        if (oneChild) {
            out = keepDeciding(group, end, out, final);
        } else {
            // Names that differ in their bytes may still be one child (case, blanks) or several
            // whose keys share a hash: the keys tell.
            std::vector<std::pair<QString, Entry>> records;
            for (const Entry* record = group; record != end; ++record)
                records.emplace_back(keyOf(record->fields), *record);
            std::stable_sort(records.begin(), records.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::vector<Entry> child;
            for (size_t i = 0; i < records.size();) {
                child.clear();
                const QString& key = records[i].first;
                for (; i < records.size() && records[i].first == key; ++i)
                    child.push_back(records[i].second);
                out = keepDeciding(child.data(), child.data() + child.size(), out, final);
            }
        }
        group = end;
    }
    entries.resize(size_t(out - entries.data()));
}

FollowUpList::Entry* FollowUpList::keepDeciding(const Entry* begin, const Entry* end, Entry* out,
                                                bool final) const {
    // In the order added: the last of equals wins.
    const Entry* latest = nullptr;
    const Entry* undated = nullptr;
    for (const Entry* record = begin; record != end; ++record) {
        if (record->day() == 0)
            undated = record;
        else if (!latest || record->day() > latest->day() ||
                 (record->day() == latest->day() && record->venous() >= latest->venous()))
            latest = record;
    }
    Entry kept[2];
    int count = 0;
    // A record that cannot be placed in time may be the latest: it decides over any dated one.
    if (final) {
        kept[count++] = undated ? *undated : *latest;
    } else {
        if (latest)
            kept[count++] = *latest;
        if (undated)
            kept[count++] = *undated;
    }
    for (int i = 0; i < count; ++i)
        *out++ = kept[i];
    return out;
}

void FollowUpList::makeRows(Entries& entries, int& due, int& overdue) const {
    const auto today = quint64(today_.toJulianDay());
    due = 0;
    overdue = 0;
    size_t listed = 0;
    for (Entry entry : entries) {
        entry.key = 0;
        if (!entry.unnamed()) {
            const FollowUpDecision decision = decide(fieldsOf(entry.fields), today_);
            if (decision.kind == FollowUpDecision::Kind::NotListed)
                continue;
            if (decision.kind == FollowUpDecision::Kind::Due) {
                entry.key = quint64(decision.dueBy.toJulianDay());
                ++due;
                if (entry.key < today)
                    ++overdue;
            }
        }
        entries[listed++] = entry;
    }
    entries.resize(listed);
    std::sort(entries.begin(), entries.end(),
              [this](const Entry& a, const Entry& b) { return made_.before(a, b); });
}

FollowUpRows FollowUpList::takeRows() {
    if (spills_ == 0) {
        reduce(0, true);
        int due = 0;
        int overdue = 0;
        makeRows(made_.entries_, due, overdue);
        // What the reading took beyond the rows is given back.
        Entries& entries = made_.entries_;
        if (entries.capacity() / 2 > entries.size())
            entries.shrink_to_fit();
    } else {
        takeSpilledRows();
    }

    FollowUpRows rows = std::move(made_);
    made_ = FollowUpRows();
    made_.today_ = today_;
    nextOrdinal_ = 0;
    sourceStart_ = 0;
    reduceAllAt_ = reduceAtLeast_;
    spillFile_.reset();
    spillFailed_ = false;
    parts_.clear();
    spills_ = 0;
    sourceSpills_ = 0;
    withdrawn_.clear();
    return rows;
}

void FollowUpList::readBackFailed(const FileStatus& status) {
    if (readBackFailed_)
        return;
    readBackFailed_ = true;
    unreadable_.append(status);
}

namespace {

// A run of rows in the list's order: in the runs file from offset, or in memory from at.
struct Run {
    bool inFile = false;
    qint64 offset = 0;
    size_t at = 0;
    qint64 count = 0;
};

} // namespace

void FollowUpList::takeSpilledRows() {
    const QString name = temporaryFileName();
    // Asked between parts and every so many rows merged: false leaves no rows.
    const auto goOn = [this] {
        if (!stopped_ && progress_ && !progress_(progressTotal_, progressTotal_))
            stopped_ = true;
        return !stopped_;
    };
    // The records still in memory go out too; those that cannot stay, by part.
    Entries rest;
    if (!made_.entries_.empty() && !spill()) {
        spillFailed_ = true;
        rest.swap(made_.entries_);
        std::stable_sort(rest.begin(), rest.end(),
                         [this](const Entry& a, const Entry& b) { return partOf(a) < partOf(b); });
    }
    Entries work;
    work.swap(made_.entries_);

    // Each part alone: read back, put together, its rows sorted into a run.
    SafeFile::Descriptor runsFile;
    bool runsOnFile = bool(SafeFile::openAnonymous(QDir::tempPath(), runsFile));
    qint64 runsEnd = 0;
    Entries inMemory;
    std::vector<Run> runs;
    int due = 0;
    int overdue = 0;
    size_t restAt = 0;
    const auto withdrawn = [this](const Entry& entry) {
        return std::any_of(withdrawn_.begin(), withdrawn_.end(), [&](const auto& range) {
            return entry.ordinal >= range.first && entry.ordinal < range.second;
        });
    };
    for (size_t part = 0; part < parts_.size(); ++part) {
        if (!goOn())
            return;
        work.clear();
        for (const Piece& piece : parts_[part]) {
            const size_t at = work.size();
            work.resize(at + size_t(piece.count));
            const FileStatus read = SafeFile::readExactlyAt(
                spillFile_->fd.get(), name, piece.offset, reinterpret_cast<char*>(work.data() + at),
                piece.count * qint64(sizeof(Entry)));
            if (!read) {
                readBackFailed(read);
                work.resize(at);
            }
        }
        if (!withdrawn_.empty())
            work.erase(std::remove_if(work.begin(), work.end(), withdrawn), work.end());
        for (; restAt < rest.size() && partOf(rest[restAt]) == int(part); ++restAt)
            work.push_back(rest[restAt]);
        reduce(work, 0, true);
        int partDue = 0;
        int partOverdue = 0;
        makeRows(work, partDue, partOverdue);
        due += partDue;
        overdue += partOverdue;
        if (work.empty())
            continue;
        const qint64 bytes = qint64(work.size()) * qint64(sizeof(Entry));
        if (runsOnFile && SafeFile::writeAllAt(runsFile.get(), name, runsEnd,
                                               reinterpret_cast<const char*>(work.data()), bytes)) {
            runs.push_back({true, runsEnd, 0, qint64(work.size())});
            runsEnd += bytes;
            continue;
        }
        // A run that cannot be written is kept in memory, as are the ones after it.
        runsOnFile = false;
        runs.push_back({false, 0, inMemory.size(), qint64(work.size())});
        inMemory.insert(inMemory.end(), work.begin(), work.end());
    }
    Entries().swap(work);
    Entries().swap(rest);
    spillFile_.reset();
    qint64 total = 0;
    for (const Run& run : runs)
        total += run.count;

    // The runs merged in the list's order, each read a piece at a time.
    const size_t bufferEntries =
        std::max<size_t>(budgetEntries_ / 2 / std::max<size_t>(runs.size(), 1), 1);
    const auto merge = [&](const std::function<bool(const Entry&)>& put) {
        struct Cursor {
            const Run* run = nullptr;
            qint64 next = 0; // the run's rows read so far
            Entries buffer;
            size_t at = 0;
        };
        std::vector<Cursor> cursors(runs.size());
        const auto head = [&](int i) -> const Entry& {
            const Cursor& cursor = cursors[size_t(i)];
            return cursor.run->inFile ? cursor.buffer[cursor.at]
                                      : inMemory[cursor.run->at + size_t(cursor.next - 1)];
        };
        // The cursor on its next row; false at the run's end or when it cannot be read.
        const auto advance = [&](Cursor& cursor) {
            if (cursor.run->inFile) {
                if (++cursor.at < cursor.buffer.size())
                    return true;
                const qint64 count =
                    std::min<qint64>(qint64(bufferEntries), cursor.run->count - cursor.next);
                if (count <= 0)
                    return false;
                cursor.buffer.resize(size_t(count));
                cursor.at = 0;
                const FileStatus read = SafeFile::readExactlyAt(
                    runsFile.get(), name, cursor.run->offset + cursor.next * qint64(sizeof(Entry)),
                    reinterpret_cast<char*>(cursor.buffer.data()), count * qint64(sizeof(Entry)));
                if (!read) {
                    readBackFailed(read);
                    return false;
                }
                cursor.next += count;
                return true;
            }
            return ++cursor.next <= cursor.run->count;
        };
        const auto later = [&](int a, int b) { return made_.before(head(b), head(a)); };
        std::vector<int> heap;
        for (size_t i = 0; i < runs.size(); ++i) {
            cursors[i].run = &runs[i];
            if (advance(cursors[i]))
                heap.push_back(int(i));
        }
        std::make_heap(heap.begin(), heap.end(), later);
        for (qint64 merged = 1; !heap.empty(); ++merged) {
            if (merged % kRowsBetweenLooks == 0 && !goOn())
                return false;
            std::pop_heap(heap.begin(), heap.end(), later);
            const int i = heap.back();
            if (!put(head(i)))
                return false;
            if (advance(cursors[size_t(i)]))
                std::push_heap(heap.begin(), heap.end(), later);
            else
                heap.pop_back();
        }
        return true;
    };

    if (total > qint64(budgetEntries_)) {
        // Beyond the budget: into a file of rows, written a piece at a time.
        auto rowsFile = std::make_shared<FollowUpRows::RowsFile>();
        if (SafeFile::openAnonymous(QDir::tempPath(), rowsFile->fd)) {
            Entries out;
            out.reserve(std::max<size_t>(budgetEntries_ / 4, 1));
            qint64 at = 0;
            const auto flush = [&] {
                const qint64 bytes = qint64(out.size()) * qint64(sizeof(Entry));
                const bool written =
                    bool(SafeFile::writeAllAt(rowsFile->fd.get(), name, at,
                                              reinterpret_cast<const char*>(out.data()), bytes));
                at += bytes;
                out.clear();
                return written;
            };
            const bool merged = merge([&](const Entry& entry) {
                out.push_back(entry);
                return out.size() < out.capacity() || flush();
            });
            if (stopped_)
                return;
            if (merged && flush()) {
                rowsFile->count = int(at / qint64(sizeof(Entry)));
                rowsFile->due = due;
                rowsFile->overdue = overdue;
                made_.file_ = std::move(rowsFile);
                return;
            }
        }
    }
    // Within the budget, or the file of rows could not be made or written: in memory.
    made_.entries_.clear();
    made_.entries_.reserve(size_t(total));
    if (!merge([this](const Entry& entry) {
            made_.entries_.push_back(entry);
            return true;
        }))
        made_.entries_.clear();
}

QList<FollowUpRow> FollowUpList::rows() const {
    FollowUpList list(*this);
    return list.takeRows().toList();
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
    return summaryText(due, overdue);
}

int FollowUpList::compareNames(QByteArrayView a, QByteArrayView b) {
    const auto& folded = codePage().folded;
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = folded[uchar(a[i])];
        const char16_t y = folded[uchar(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString FollowUpList::childKey(QByteArrayView lastName, QByteArrayView firstName,
                               QByteArrayView dateOfBirth) {
    KeyUnits key;
    if (!makeKey(lastName, firstName, dateOfBirth, key))
        return QString();
    return QString(reinterpret_cast<const QChar*>(key.constData()), key.size());
}

FollowUpFields FollowUpFields::of(const ResultRecord& record) {
    return {record.trimmed(F::LastName),    record.trimmed(F::FirstName),
            record.trimmed(F::DateOfBirth), record.trimmed(F::DateTaken),
            record.trimmed(F::PbResult),    record.trimmed(F::BelowDetection),
            record.trimmed(F::TestType)};
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

QStringList FollowUpList::fileLines() const {
    return DuplicateIndex::notCheckedLines(unreadable_, damaged_);
}
