#include "submission/RecordsImport.h"

#include "reference/ProviderCode.h"
#include "storage/RecordFile.h"
#include "storage/RecordStore.h"
#include "storage/RecordText.h"
#include "storage/SafeFile.h"
#include "storage/TextValue.h"
#include "storage/Windows1252.h"
#include "submission/CsvReader.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordColumns.h"
#include "submission/RecordsCsv.h"
#include "validation/Completeness.h"
#include "validation/DateCheck.h"
#include "validation/DuplicateRule.h"
#include "validation/EntryRules.h"
#include "validation/FieldCodes.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <utility>
#include <vector>

namespace {

using F = ResultRecord;
using RecordColumns::Column;
using RecordColumns::Kind;

constexpr qint64 kPieceBytes = qint64(1) << 16;

using TextValue::oneLine;

// The UTF-8 bytes as text; valid tells whether they were UTF-8.
QString decoded(const QByteArray& bytes, bool& valid) {
    valid = true;
    if (std::all_of(bytes.begin(), bytes.end(), [](char ch) { return uchar(ch) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    valid = !decoder.hasError();
    return text;
}

bool allDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
}

// "7/4/2019" or "07/04/2019" as the date box's raw value "07042019"; empty for anything else.
QString dateRaw(const QString& value) {
    const QStringList parts = value.split(QLatin1Char('/'));
    if (parts.size() != 3 || parts[0].isEmpty() || parts[0].size() > 2 || parts[1].isEmpty() ||
        parts[1].size() > 2 || parts[2].size() != 4 || !allDigits(parts[0]) ||
        !allDigits(parts[1]) || !allDigits(parts[2]))
        return QString();
    return parts[0].rightJustified(2, QLatin1Char('0')) +
           parts[1].rightJustified(2, QLatin1Char('0')) + parts[2];
}

// A decimal number as the result box takes one: digits with at most one point.
bool isDecimal(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = QStringView(text).left(point < 0 ? text.size() : point);
    const QStringView fraction = point < 0 ? QStringView() : QStringView(text).mid(point + 1);
    return !text.isEmpty() && text != QLatin1String(".") && allDigits(whole) && allDigits(fraction);
}

// An empty line, or a spreadsheet's empty row: only commas and blanks. A row of more values than
// the reader keeps is never taken for one.
bool blankRow(const CsvReader::Row& row) {
    return row.valueCount == row.values.size() &&
           std::all_of(row.values.begin(), row.values.end(),
                       [](const QByteArray& value) { return value.trimmed().isEmpty(); });
}

QString plural(qint64 count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString withThousands(qint64 count) {
    return QLocale(QLocale::English).toString(count);
}

// The checks of one file, row after row.
class Checker {
public:
    Checker(const ImportContext& context, const RecordsImport::RecordSink& sink,
            ImportReport::Format format)
        : context_(context), sink_(sink), hash_(QCryptographicHash::Sha256) {
        report_.format = format;
        present_.fill(false);
        if (!ProviderCode::isSet(context_.providerCode))
            fileProblem(oneLine(ProviderCode::notSetMessage()));
    }

    void fileProblem(const QString& message, qint64 line = 0) {
        problem(line, QString(), QString(), message);
    }

    // A problem that makes every other one of the file beside the point: it is the only one.
    void onlyProblem(const QString& message, qint64 line = 0) {
        report_.problems.clear();
        report_.problemCount = 0;
        fileProblem(message, line);
    }

    void problem(qint64 line, const QString& column, const QString& value, const QString& message) {
        ++report_.problemCount;
        if (report_.problems.size() >= RecordsImport::MaxListed)
            return;
        const auto shown = [](const QString& text) {
            return text.size() > RecordsImport::MaxShownValue
                       ? text.left(RecordsImport::MaxShownValue) + QChar(0x2026)
                       : text;
        };
        report_.problems.append({line, shown(column), shown(value), message});
    }

    // The header row of a spreadsheet file: which column each value is.
    void header(const CsvReader::Row& row) {
        headerSeen_ = true;
        headerValues_ = row.valueCount;
        columnOf_.clear();
        // Lines ended by a CR alone (an old Macintosh format) make the whole file one header
        // row: its values hold the CRs, and its columns named one by one would hide the cause.
        // A CR at a value's end (lines ended CR CR LF) is trimmed away as a blank.
        if (std::any_of(row.values.begin(), row.values.end(),
                        [](const QByteArray& value) { return value.trimmed().contains('\r'); })) {
            problem(row.line, QString(), QString(),
                    QStringLiteral("The header row holds a CR that ends no line: save the file "
                                   "with CR LF or LF line ends."));
            headerRefused_ = true;
            return;
        }
        // A spreadsheet saved with semicolons or tabs between values (a European or a text
        // export) has a header row of one value; its columns would all be told missing.
        if (row.valueCount == 1 &&
            (row.values.first().contains(';') || row.values.first().contains('\t'))) {
            problem(row.line, QString(), QString(),
                    QStringLiteral("The header row has no commas between its columns: save the "
                                   "file as CSV with a comma between values."));
            headerRefused_ = true;
            return;
        }
        for (int i = 0; i < row.values.size(); ++i) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString name = QString(decoder(row.values.at(i))).trimmed();
            const int index = decoder.hasError() ? -1 : RecordColumns::indexOf(name);
            columnOf_.append(index);
            if (index < 0) {
                problem(row.line, name, QString(),
                        QStringLiteral("is not a column of the records file"));
            } else if (present_[size_t(index)]) {
                problem(row.line, name, QString(),
                        QStringLiteral("appears twice in the header row"));
                columnOf_.last() = -1;
            } else {
                present_[size_t(index)] = true;
            }
        }
        const QList<Column>& columns = RecordColumns::all();
        for (int i = 0; i < columns.size(); ++i) {
            if (present_[size_t(i)])
                continue;
            // A coded field needs only one of its two columns.
            const bool otherHalf =
                std::any_of(columns.begin(), columns.end(), [&](const Column& c) {
                    return c.field == columns.at(i).field && present_[size_t(&c - columns.data())];
                });
            if (columns.at(i).kind == Kind::Text || columns.at(i).kind == Kind::Date || !otherHalf)
                problem(row.line, columns.at(i).name, QString(),
                        QStringLiteral("The column is missing from the header row"));
        }
    }

    bool headerSeen() const { return headerSeen_; }

    // A data row of a spreadsheet file.
    void csvRow(const CsvReader::Row& row) {
        // An empty line, or a spreadsheet's empty row, is no record; the rows under a header row
        // whose values are not separated by commas cannot be read.
        if (headerRefused_ || blankRow(row))
            return;
        std::array<QString, 28> values;
        bool fine = true;
        if (row.valueCount != headerValues_) {
            problem(row.line, QString(), QString(),
                    QStringLiteral("The row has %1 values; the header row has %2")
                        .arg(row.valueCount)
                        .arg(headerValues_));
            fine = false;
        }
        const qsizetype count = std::min(row.values.size(), columnOf_.size());
        for (qsizetype i = 0; i < count; ++i) {
            const int index = columnOf_.at(i);
            const QByteArray& bytes = row.values.at(i);
            bool valid = true;
            const QString text = decoded(bytes, valid);
            const QString name =
                index >= 0 ? RecordColumns::all().at(index).name : QString::number(i + 1);
            if (!valid) {
                problem(row.line, name, text, QStringLiteral("is not UTF-8 text"));
                fine = false;
                continue;
            }
            if (row.strayQuotes.contains(int(i))) {
                problem(row.line, name, text,
                        QStringLiteral("holds a quote outside a quoted value"));
                fine = false;
            }
            if (index >= 0)
                values[size_t(index)] = RecordsCsv::unguarded(text);
        }
        checkRow(row.line, values, fine);
    }

    // A record of a file of records: its values as Export to CSV writes them.
    void recordRow(qint64 number, const ResultRecord& record) {
        present_.fill(true);
        const QStringList written = RecordsCsv::values(record);
        std::array<QString, 28> values;
        for (int i = 0; i < written.size() && i < 28; ++i)
            values[size_t(i)] = written.at(i);
        checkRow(number, values, true);
    }

    // The end of the file: the duplicates within it, and the report.
    ImportReport finish() {
        if (report_.records == 0 && report_.problemCount == 0)
            fileProblem(report_.format == ImportReport::Format::Csv && headerSeen_
                            ? QStringLiteral("The file holds no records, only the header row.")
                            : QStringLiteral("The file holds no records."));
        report_.digest = hash_.result();
        if (holding_ && report_.clean())
            report_.heldRecords = held_;
        return report_;
    }

    int rows() const { return rows_; }
    bool sinkFailed() const { return !sinkStatus_; }
    const FileStatus& sinkStatus() const { return sinkStatus_; }

private:
    // A text field as the entry filter lets it into a box whose maximum length is the field's.
    bool textValue(qint64 line, const QString& column, const QString& value, F::Field field,
                   QString& entry) {
        const std::optional<QString> filtered = RecordText::fromEntry(value);
        if (!filtered) {
            problem(line, column, value,
                    QStringLiteral("holds a character that a record cannot hold"));
            return false;
        }
        // Control characters at the value's ends became blanks: trimmed as the export trims,
        // so that the record comes back the same from its export.
        entry = filtered->trimmed();
        // A text the code page holds is one byte a character.
        const qsizetype length = entry.size();
        if (length > ResultRecord::width(field)) {
            problem(line, column, value,
                    QStringLiteral("is %1 characters long; the field holds %2")
                        .arg(length)
                        .arg(ResultRecord::width(field)));
            return false;
        }
        return true;
    }

    // A coded field from its code column, its text column or both.
    bool codedValue(qint64 line, const std::array<QString, 28>& values, F::Field field,
                    QString& code) {
        const QList<Column>& columns = RecordColumns::all();
        int codeColumn = -1;
        int textColumn = -1;
        for (int i = 0; i < columns.size(); ++i) {
            if (columns.at(i).field != field)
                continue;
            (columns.at(i).kind == Kind::Code ? codeColumn : textColumn) = i;
        }
        const QString given = values[size_t(codeColumn)];
        const QString shown = values[size_t(textColumn)];
        const QStringList codes = RecordColumns::codes(field);
        // The entries offered, as a problem names them; made only for a problem.
        const auto texts = [&](bool withCodes) {
            QStringList entries;
            for (const QString& known : codes)
                entries << (withCodes ? QStringLiteral("%1 (%2)").arg(
                                            known, RecordColumns::codeText(field, known))
                                      : RecordColumns::codeText(field, known));
            return entries;
        };
        code.clear();
        if (!given.isEmpty()) {
            const qsizetype at = codes.indexOf(given.toUpper());
            if (at < 0) {
                problem(line, columns.at(codeColumn).name, given,
                        QStringLiteral("is not one of the codes %1").arg(codes.join(", ")));
                return false;
            }
            code = codes.at(at);
        }
        if (!shown.isEmpty()) {
            const QString ofText = RecordColumns::codeOfText(field, shown);
            if (ofText.isEmpty()) {
                problem(line, columns.at(textColumn).name, shown,
                        QStringLiteral("is not one of the entries %1")
                            .arg(texts(false).join(QLatin1String(", "))));
                return false;
            }
            if (!code.isEmpty() && code != ofText) {
                problem(line, columns.at(textColumn).name, shown,
                        QStringLiteral("does not agree with %1 %2")
                            .arg(columns.at(codeColumn).name, code));
                return false;
            }
            code = ofText;
        }
        if (!code.isEmpty())
            return true;
        // A blank race or ancestry shows the list's Unknown entry, which is what is saved.
        if (field == F::RaceCode) {
            code = FieldCodes::raceCodeFromEntry(
                FieldCodes::raceEntries().at(FieldCodes::raceEntryIndex(QString())));
            return true;
        }
        if (field == F::Ancestry) {
            code = FieldCodes::ancestryCodeFromEntry(
                FieldCodes::ancestryEntries().at(FieldCodes::ancestryEntryIndex(QString())));
            return true;
        }
        // The window always has one option of the two selected; a blank is not taken as either.
        problem(line, columns.at(codeColumn).name, QString(),
                QStringLiteral("is blank; give %1").arg(texts(true).join(QLatin1String(" or "))));
        return false;
    }

    // The column that holds the field (a coded field's code column), found once.
    static int columnOf(F::Field field) {
        static const std::array<int, F::FieldCount> columns = [] {
            std::array<int, F::FieldCount> found{};
            found.fill(-1);
            const QList<Column>& all = RecordColumns::all();
            for (int i = int(all.size()) - 1; i >= 0; --i)
                found[all.at(i).field] = i;
            return found;
        }();
        return columns[field];
    }
    static const QString& columnName(F::Field field) {
        return RecordColumns::all().at(columnOf(field)).name;
    }
    static const QString& valueOf(const std::array<QString, 28>& values, F::Field field) {
        return values[size_t(columnOf(field))];
    }

    bool dates(qint64 line, const std::array<QString, 28>& values, ResultRecord& record) {
        struct DateField {
            F::Field field;
            WhichDate which;
            QString raw;
            bool valid;
        };
        std::array<DateField, 3> dates = {{{F::DateTaken, DateTakenCode, {}, false},
                                           {F::DateOfBirth, DateOfBirthCode, {}, false},
                                           {F::AnalysisDate, AnalysisDateCode, {}, false}}};
        bool fine = true;
        for (DateField& date : dates) {
            const QString& column = columnName(date.field);
            const QString& value = valueOf(values, date.field);
            if (value.isEmpty())
                continue;
            // Anything but a date is checked as an entry that is none, for the check's message.
            QString raw = dateRaw(value);
            if (raw.isEmpty())
                raw = QStringLiteral("0");
            const DateCheckDecision decision =
                DateCheck::decideValidateDate(raw, date.which, DateBoxValues(), context_.today);
            if (decision.showMessage) {
                problem(line, column, value, oneLine(decision.message));
                fine = false;
                continue;
            }
            date.raw = raw;
            date.valid = true;
            record.set(date.field, raw);
        }
        // Each pair of dates in order once, in the words of the first date's check.
        const auto order = [&](DateField& first, const DateField& second) {
            if (!first.valid || !second.valid)
                return;
            DateBoxValues boxes;
            (second.which == DateTakenCode     ? boxes.dateTaken
             : second.which == DateOfBirthCode ? boxes.dateOfBirth
                                               : boxes.analysisDate) = second.raw;
            const DateCheckDecision decision =
                DateCheck::decideValidateDate(first.raw, first.which, boxes, context_.today);
            if (decision.showMessage) {
                problem(line, columnName(first.field), valueOf(values, first.field),
                        oneLine(decision.message));
                fine = false;
            }
        };
        order(dates[0], dates[2]);
        order(dates[0], dates[1]);
        order(dates[1], dates[2]);
        return fine;
    }

    bool phone(qint64 line, const std::array<QString, 28>& values, ResultRecord& record) {
        const QString areaColumn = columnName(F::PhoneAreaCode);
        const QString numberColumn = columnName(F::PhoneNumber);
        const QString& area = valueOf(values, F::PhoneAreaCode);
        const QString& number = valueOf(values, F::PhoneNumber);
        bool fine = true;
        if (!area.isEmpty() && (area.size() != 3 || !allDigits(area))) {
            problem(line, areaColumn, area, QStringLiteral("must be 3 digits"));
            fine = false;
        }
        // 123-4567 or 1234567.
        const QString digits = number.size() == 8 && number.at(3) == QLatin1Char('-')
                                   ? number.left(3) + number.mid(4)
                                   : number;
        if (!number.isEmpty() && (digits.size() != 7 || !allDigits(digits))) {
            problem(line, numberColumn, number, QStringLiteral("must be 7 digits, as 123-4567"));
            fine = false;
        }
        if (!fine)
            return false;
        if (number.isEmpty()) {
            record.set(F::PhoneAreaCode, area);
            return true;
        }
        // What the telephone box saves for these digits typed into it.
        const FieldCodes::PhoneFields fields =
            FieldCodes::phoneFieldsFromRawValue(area.leftJustified(3, QLatin1Char(' ')) + digits);
        record.set(F::PhoneAreaCode, fields.areaCode);
        record.set(F::PhoneNumber, fields.number);
        return true;
    }

    bool result(qint64 line, const std::array<QString, 28>& values, ResultRecord& record) {
        const QString pbColumn = columnName(F::PbResult);
        const QString belowColumn = columnName(F::BelowDetection);
        const QString& below = valueOf(values, F::BelowDetection);
        QString pb;
        bool fine = textValue(line, pbColumn, valueOf(values, F::PbResult), F::PbResult, pb);
        if (fine && !pb.isEmpty() && !isDecimal(pb)) {
            problem(line, pbColumn, pb, QStringLiteral("is not a number"));
            fine = false;
        }
        if (!below.isEmpty() && below != QLatin1String("0") && below != QLatin1String("1")) {
            problem(line, belowColumn, below,
                    QStringLiteral("must be 0, or 1 for a result below detection"));
            fine = false;
        }
        if (!fine)
            return false;
        const bool low = below == QLatin1String("1");
        // The result box and its options as leaving the box with this value sets them.
        switch (EntryRules::decideResultBox(pb, low).state) {
        case ResultState::Low:
            record.set(F::PbResult, QLatin1String(LowResultText));
            record.set(F::BelowDetection, QStringLiteral("1"));
            break;
        case ResultState::High:
            record.set(F::PbResult, QLatin1String(HighResultText));
            record.set(F::BelowDetection, QStringLiteral("0"));
            break;
        case ResultState::Measured:
            if (low) {
                problem(line, belowColumn, below,
                        QStringLiteral("is 1 (below detection), but the result %1 is not below %2")
                            .arg(pb)
                            .arg(LowResultBound));
                return false;
            }
            record.set(F::PbResult, pb);
            record.set(F::BelowDetection, QStringLiteral("0"));
            break;
        }
        return true;
    }

    void checkRow(qint64 line, const std::array<QString, 28>& values, bool fine) {
        if (++rows_ > RecordsImport::MaxRecords)
            return;
        ResultRecord record;
        record.set(F::LineEnd, QStringLiteral("\r\n"));
        for (F::Field field :
             {F::LastName, F::FirstName, F::MiddleInitial, F::StreetNumber, F::StreetName,
              F::AptNumber, F::City, F::Zip, F::ParentsFirst, F::ParentsLast, F::Physician}) {
            QString entry;
            if (textValue(line, columnName(field), valueOf(values, field), field, entry))
                record.set(field, entry);
            else
                fine = false;
        }
        fine = dates(line, values, record) && fine;
        for (F::Field field : {F::Sex, F::RaceCode, F::Ancestry, F::TestType}) {
            QString code;
            if (codedValue(line, values, field, code))
                record.set(field, code);
            else
                fine = false;
        }
        fine = phone(line, values, record) && fine;
        fine = result(line, values, record) && fine;

        const QString providerColumn = columnName(F::ProviderCode);
        const QString& provider = valueOf(values, F::ProviderCode);
        if (!provider.isEmpty() && provider != TextValue::trimBlanks(context_.providerCode)) {
            problem(line, providerColumn, provider,
                    QStringLiteral("is another office's provider code; this office's is %1")
                        .arg(TextValue::trimBlanks(context_.providerCode)));
            fine = false;
        }
        record.set(F::ProviderCode, context_.providerCode);

        const QString methodColumn = columnName(F::AnalysisMethod);
        const QString& method = valueOf(values, F::AnalysisMethod);
        if (!method.isEmpty() && method != QLatin1String("HHLA")) {
            problem(line, methodColumn, method, QStringLiteral("must be HHLA"));
            fine = false;
        }
        record.set(F::AnalysisMethod, QStringLiteral("HHLA"));
        if (!fine)
            return;
        accept(line, record);
    }

    void accept(qint64 line, const ResultRecord& record) {
        ++report_.records;
        const QByteArray encoded = record.encode();
        hash_.addData(encoded);
        if (holding_ && !sink_) {
            holding_ = held_.size() + encoded.size() <= RecordsImport::MaxHeldBytes;
            if (holding_)
                held_ += encoded;
            else
                held_ = QByteArray();
        }
        if (sink_ && sinkStatus_)
            sinkStatus_ = sink_(record);
        if (sink_)
            return; // the gaps and duplicates were told when the file was checked
        const auto patient = [&record] {
            return QStringLiteral("%1, %2").arg(record.trimmed(F::LastName),
                                                record.trimmed(F::FirstName));
        };
        const QList<CompletenessDecision> gaps =
            Completeness::decideEveryGap(record, context_.providerCode);
        if (!gaps.isEmpty()) {
            ++report_.incomplete;
            if (report_.gaps.size() < RecordsImport::MaxListed) {
                QStringList texts;
                for (const CompletenessDecision& gap : gaps)
                    texts << oneLine(gap.message);
                report_.gaps.append({line, patient(), texts.join(QLatin1Char(' '))});
            }
        }
        const QString key = DuplicateRule::duplicateKey(record);
        if (key.isEmpty())
            return;
        bool noted = false;
        bool listed = false;
        // One note a record, naming every record it may repeat.
        const auto remember = [&](const QString& text) {
            if (listed)
                report_.duplicateNotes.last().text += QLatin1String("; ") + text;
            if (noted)
                return;
            noted = true;
            ++report_.duplicates;
            listed = report_.duplicateNotes.size() < RecordsImport::MaxListed;
            if (listed)
                report_.duplicateNotes.append({line, patient(), text});
        };
        const size_t hash = qHash(key, size_t(0x6b6f7276));
        if (const auto earlier = firstLineOf_.constFind(hash); earlier != firstLineOf_.constEnd())
            remember(QStringLiteral("the same patient and dates as line %1").arg(earlier.value()));
        else
            firstLineOf_.insert(hash, line);
        if (const auto stored = context_.storedKeys.constFind(key);
            stored != context_.storedKeys.constEnd())
            remember(QStringLiteral("the same patient and dates as record %1 of the data file")
                         .arg(stored.value()));
        if (context_.sent) {
            if (const std::optional<DuplicateMatch> sent = context_.sent->findSent(key))
                remember(QStringLiteral("the same patient and dates as a record sent in %1")
                             .arg(SafeFile::displayName(sent->submissionFile)));
        }
    }

    const ImportContext& context_;
    const RecordsImport::RecordSink& sink_;
    FileStatus sinkStatus_;
    ImportReport report_;
    QCryptographicHash hash_;
    QByteArray held_;
    bool holding_ = true;
    std::array<bool, 28> present_{};
    QList<int> columnOf_; // per value of a row: its column, -1 for none
    qint64 headerValues_ = 0;
    bool headerSeen_ = false;
    bool headerRefused_ = false; // its values are not separated as a CSV file's
    int rows_ = 0;
    // The first line of each duplicate key, by the key's hash, so that memory stays small: a
    // collision of two 64-bit hashes among a file's records is far less likely than a typo.
    QHash<size_t, qint64> firstLineOf_;
};

QString tooManyRecords() {
    return QStringLiteral("The file holds more than %1 records; import at most %1 at a time.")
        .arg(withThousands(RecordsImport::MaxRecords));
}

QString tooLarge(qint64 bytes) {
    return QStringLiteral("The file is %1 MiB, larger than the %2 MiB a file to import may be; "
                          "import at most %3 records at a time.")
        .arg(withThousands((bytes + (1 << 20) - 1) >> 20))
        .arg(RecordsImport::MaxBytes >> 20)
        .arg(withThousands(RecordsImport::MaxRecords));
}

// Reads a spreadsheet file's bytes through the checker, a piece at a time from read(); read
// gives an empty piece at the end, false on a failure.
template <typename Read> ImportReport readCsv(Checker& checker, Read read) {
    bool tooMany = false;
    CsvReader reader([&](CsvReader::Row& row) {
        if (!checker.headerSeen()) {
            // Empty lines above the header row are passed over as those below it are.
            if (!blankRow(row))
                checker.header(row);
            return true;
        }
        checker.csvRow(row);
        if (checker.rows() > RecordsImport::MaxRecords) {
            tooMany = true;
            return false;
        }
        return true;
    });
    QByteArray piece;
    bool more = true;
    qint64 total = 0;
    while (more) {
        if (!read(piece))
            return checker.finish();
        total += piece.size();
        more = !piece.isEmpty() && reader.feed(piece.constData(), piece.size());
    }
    if (!reader.sawNul() && !tooMany)
        reader.finish();
    if (tooMany)
        checker.onlyProblem(tooManyRecords());
    else if (reader.sawNul())
        checker.onlyProblem(
            QStringLiteral("Line %1 holds a NUL byte: this is not a spreadsheet (CSV) file.")
                .arg(reader.nulLine()),
            reader.nulLine());
    else if (reader.unclosedQuoteLine() > 0)
        checker.fileProblem(
            QStringLiteral("The quoted value that begins on line %1 is never closed.")
                .arg(reader.unclosedQuoteLine()),
            reader.unclosedQuoteLine());
    else if (total == 0 || !checker.headerSeen())
        checker.fileProblem(QStringLiteral("The file is empty."));
    return checker.finish();
}

ImportReport recordsReport(Checker& checker, const QByteArray& bytes,
                           const RecordsImport::Progress& progress = {}, bool* stopped = nullptr) {
    const RecordFile file(bytes);
    if (!file.isWhole()) {
        checker.fileProblem(
            QStringLiteral("The file is not whole 198-byte records (%1).").arg(file.damage()));
        return checker.finish();
    }
    if (file.recordCount() > RecordsImport::MaxRecords) {
        checker.fileProblem(tooManyRecords());
        return checker.finish();
    }
    for (int n = 1; n <= file.recordCount(); ++n) {
        checker.recordRow(n, file.record(n));
        if (progress && n % 256 == 0 && !progress(qint64(n) * ResultRecord::Size, bytes.size())) {
            *stopped = true;
            return checker.finish();
        }
    }
    return checker.finish();
}

// A file of records begins with a record: its first line break is the first record's CR LF.
bool looksLikeRecords(const QByteArray& start) {
    const qsizetype lineEnd = ResultRecord::offset(F::LineEnd);
    return start.size() >= ResultRecord::Size && start.indexOf('\n') == lineEnd + 1 &&
           start.indexOf('\r') == lineEnd;
}

} // namespace

QHash<QString, int> ImportContext::keysOf(const QList<ResultRecord>& stored) {
    QHash<QString, int> keys;
    for (int i = 0; i < stored.size(); ++i) {
        const QString key = DuplicateRule::duplicateKey(stored.at(i));
        if (!key.isEmpty() && !keys.contains(key))
            keys.insert(key, i + 1);
    }
    return keys;
}

QString ImportReport::summary() const {
    if (problemCount > 0)
        return QStringLiteral("%1: nothing can be imported until the file is corrected.")
            .arg(plural(problemCount, "problem", "problems"));
    return QStringLiteral("%1: %2 incomplete, %3.")
        .arg(plural(records, "record", "records"))
        .arg(incomplete)
        .arg(plural(duplicates, "possible duplicate", "possible duplicates"));
}

ImportReport RecordsImport::checkCsv(const QByteArray& bytes, const ImportContext& context,
                                     const RecordSink& sink) {
    Checker checker(context, sink, ImportReport::Format::Csv);
    qint64 offset = 0;
    return readCsv(checker, [&](QByteArray& piece) {
        piece = bytes.mid(offset, kPieceBytes);
        offset += piece.size();
        return true;
    });
}

ImportReport RecordsImport::checkRecords(const QByteArray& bytes, const ImportContext& context,
                                         const RecordSink& sink) {
    Checker checker(context, sink, ImportReport::Format::Records);
    return recordsReport(checker, bytes);
}

ImportReport RecordsImport::checkFile(const QString& path, const ImportContext& context,
                                      const RecordSink& sink, const Progress& progress) {
    const QString shown = SafeFile::displayName(QFileInfo(path).fileName());
    auto refused = [&](const QString& message, ImportReport::Format format) {
        Checker checker(context, sink, format);
        checker.fileProblem(message);
        return checker.finish();
    };
    SafeFile::Descriptor fd;
    FileStatus status = SafeFile::openRegular(path, O_RDONLY, fd);
    qint64 length = 0;
    if (status)
        status = SafeFile::lengthOf(fd.get(), path, length);
    if (!status)
        return refused(QStringLiteral("The file cannot be read: %1").arg(status.reason()),
                       ImportReport::Format::Csv);
    if (length > MaxBytes)
        return refused(tooLarge(length), ImportReport::Format::Csv);

    QByteArray start;
    if (FileStatus read = SafeFile::readAt(fd.get(), path, 0, ResultRecord::Size, start); !read)
        return refused(QStringLiteral("The file cannot be read: %1").arg(read.reason()),
                       ImportReport::Format::Csv);
    const QString changed =
        QStringLiteral("The file %1 changed while it was read; check it again when it is "
                       "complete.")
            .arg(shown);

    if (looksLikeRecords(start)) {
        if (length > qint64(MaxRecords) * ResultRecord::Size)
            return refused(tooManyRecords(), ImportReport::Format::Records);
        QByteArray bytes;
        // One byte more than the length: a file that grows meanwhile shows it.
        status = SafeFile::readAt(fd.get(), path, 0, length + 1, bytes);
        if (!status)
            return refused(QStringLiteral("The file cannot be read: %1").arg(status.reason()),
                           ImportReport::Format::Records);
        qint64 after = 0;
        status = SafeFile::lengthOf(fd.get(), path, after);
        if (!status || bytes.size() != length || after != length)
            return refused(changed, ImportReport::Format::Records);
        Checker checker(context, sink, ImportReport::Format::Records);
        bool stopped = false;
        ImportReport report = recordsReport(checker, bytes, progress, &stopped);
        if (stopped)
            return refused(QStringLiteral("The check was stopped."), ImportReport::Format::Records);
        return report;
    }

    Checker checker(context, sink, ImportReport::Format::Csv);
    qint64 offset = 0;
    bool failed = false;
    bool stopped = false;
    ImportReport report = readCsv(checker, [&](QByteArray& piece) {
        const qint64 wanted = std::min(kPieceBytes, length + 1 - offset);
        if (wanted <= 0) {
            piece.clear();
            failed = true; // more bytes than the file had when it was opened
            return false;
        }
        FileStatus read = SafeFile::readAt(fd.get(), path, offset, wanted, piece);
        if (!read) {
            status = read;
            failed = true;
            return false;
        }
        offset += piece.size();
        if (progress && !progress(offset, length)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (stopped)
        return refused(QStringLiteral("The check was stopped."), ImportReport::Format::Csv);
    qint64 after = 0;
    const bool grew = !failed && (!SafeFile::lengthOf(fd.get(), path, after) || after != length ||
                                  offset != length);
    const bool stoppedEarly = report.problemCount > 0 && offset < length;
    if (!status)
        return refused(QStringLiteral("The file cannot be read: %1").arg(status.reason()),
                       ImportReport::Format::Csv);
    if ((failed || grew) && !stoppedEarly)
        return refused(changed, ImportReport::Format::Csv);
    return report;
}

FileStatus RecordsImport::importFile(const QString& path, const ImportReport& checked,
                                     const ImportContext& context, RecordStore& store, int& first,
                                     int& appended) {
    first = 0;
    appended = 0;
    if (!checked.clean())
        return FileStatus::failure(path, QStringLiteral("The file has problems; nothing was "
                                                        "imported"));
    int before = 0;
    FileStatus status = store.count(before);
    if (!status)
        return status;
    const qint64 held = checked.heldRecords.size();
    if (held > 0 && held == qint64(checked.records) * ResultRecord::Size) {
        status = store.appendAll(
            [&](const RecordStore::RecordSink& write) {
                FileStatus written = FileStatus::success();
                for (qint64 at = 0; written && at < held; at += ResultRecord::Size)
                    written = write(ResultRecord::decode(QByteArray::fromRawData(
                        checked.heldRecords.constData() + at, ResultRecord::Size)));
                return written;
            },
            appended);
        if (appended > 0)
            first = before + 1;
        return status;
    }
    status = store.appendAll(
        [&](const RecordStore::RecordSink& write) {
            const ImportReport again = checkFile(path, context, write);
            if (again.digest != checked.digest || !again.clean() ||
                again.records != checked.records)
                return FileStatus::failure(
                    path, QStringLiteral("The file changed after it was checked; nothing was "
                                         "imported. Choose it again to check it anew."));
            return FileStatus::success();
        },
        appended);
    if (appended > 0)
        first = before + 1;
    return status;
}
