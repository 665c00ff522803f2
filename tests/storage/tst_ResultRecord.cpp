#include "storage/RecordText.h"
#include "storage/ResultRecord.h"
#include "storage/Windows1252.h"
#include "support/TestRecords.h"

#include <QTest>

using Field = ResultRecord::Field;
Q_DECLARE_METATYPE(ResultRecord::Field)

class tst_ResultRecord : public QObject {
    Q_OBJECT
private slots:
    void fieldLayout_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("offset");
        const struct {
            const char* name;
            Field field;
            int width;
            int offset;
        } rows[] = {
            {"DateTaken", ResultRecord::DateTaken, 8, 0},
            {"LastName", ResultRecord::LastName, 20, 8},
            {"FirstName", ResultRecord::FirstName, 12, 28},
            {"MiddleInitial", ResultRecord::MiddleInitial, 1, 40},
            {"DateOfBirth", ResultRecord::DateOfBirth, 8, 41},
            {"Sex", ResultRecord::Sex, 1, 49},
            {"StreetNumber", ResultRecord::StreetNumber, 6, 50},
            {"StreetName", ResultRecord::StreetName, 20, 56},
            {"AptNumber", ResultRecord::AptNumber, 4, 76},
            {"City", ResultRecord::City, 20, 80},
            {"Zip", ResultRecord::Zip, 5, 100},
            {"ParentsFirst", ResultRecord::ParentsFirst, 12, 105},
            {"ParentsLast", ResultRecord::ParentsLast, 20, 117},
            {"PhoneAreaCode", ResultRecord::PhoneAreaCode, 3, 137},
            {"PhoneNumber", ResultRecord::PhoneNumber, 8, 140},
            {"RaceCode", ResultRecord::RaceCode, 1, 148},
            {"Ancestry", ResultRecord::Ancestry, 2, 149},
            {"AnalysisDate", ResultRecord::AnalysisDate, 8, 151},
            {"PbResult", ResultRecord::PbResult, 4, 159},
            {"BelowDetection", ResultRecord::BelowDetection, 1, 163},
            {"TestType", ResultRecord::TestType, 1, 164},
            {"ProviderCode", ResultRecord::ProviderCode, 6, 165},
            {"Physician", ResultRecord::Physician, 20, 171},
            {"AnalysisMethod", ResultRecord::AnalysisMethod, 5, 191},
            {"LineEnd", ResultRecord::LineEnd, 2, 196},
        };
        static_assert(sizeof(rows) / sizeof(rows[0]) == ResultRecord::FieldCount);
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.field << row.width << row.offset;
    }
    void fieldLayout() {
        QFETCH(Field, field);
        QFETCH(int, width);
        QFETCH(int, offset);
        QCOMPARE(ResultRecord::width(field), width);
        QCOMPARE(ResultRecord::offset(field), offset);

        // The encoded bytes, not only the table, put the field there and nowhere else.
        ResultRecord record;
        record.set(field, QString(width + 3, QLatin1Char('X')));
        QCOMPARE(record.get(field), QString(width, QLatin1Char('X')));
        QByteArray expected(ResultRecord::Size, ' ');
        expected.replace(offset, width, QByteArray(width, 'X'));
        QCOMPARE(record.encode(), expected);
        QCOMPARE(ResultRecord::decode(expected), record);
    }

    void valuesAreCutOrPadded_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("long city cut to 20") << ResultRecord::City << "Abcdefghijklmnopqrstuvwxy"
                                             << "Abcdefghijklmnopqrst";
        QTest::newRow("short zip padded") << ResultRecord::Zip << "123"
                                          << "123  ";
        QTest::newRow("empty is blanks") << ResultRecord::LastName << "" << QString(20, ' ');
        QTest::newRow("leading blanks kept") << ResultRecord::Zip << " 12"
                                             << " 12  ";
        QTest::newRow("HHLA plus blank") << ResultRecord::AnalysisMethod << "HHLA"
                                         << "HHLA ";
    }
    void valuesAreCutOrPadded() {
        QFETCH(Field, field);
        QFETCH(QString, value);
        QFETCH(QString, stored);
        ResultRecord record;
        record.set(field, value);
        QCOMPARE(record.get(field), stored);
        QCOMPARE(record.trimmed(field), stored.trimmed());
    }

    void newRecordEndsLines() {
        const QByteArray bytes = TestRecords::newRecord("654321").encode();
        QCOMPARE(bytes.size(), ResultRecord::Size);
        QCOMPARE(bytes.mid(165, 6), QByteArray("654321"));
        QCOMPARE(bytes.mid(191, 5), QByteArray("HHLA "));
        QCOMPARE(bytes.at(196), '\r');
        QCOMPARE(bytes.at(197), '\n');
        QCOMPARE(bytes.left(165), QByteArray(165, ' '));
    }

    void blankRecordIsAllBlanks() {
        ResultRecord record = TestRecords::newRecord("654321");
        record.blank();
        QCOMPARE(record.encode(), QByteArray(ResultRecord::Size, ' '));
        QCOMPARE(ResultRecord().encode(), QByteArray(ResultRecord::Size, ' '));
    }

    void telephoneSplitsOverTwoFields() {
        ResultRecord record = TestRecords::newRecord("1");
        QCOMPARE(record.encode().mid(137, 11), QByteArray(11, ' '));
        record.set(ResultRecord::PhoneAreaCode, "555");
        record.set(ResultRecord::PhoneNumber, "123-4567");
        QCOMPARE(record.encode().mid(137, 11), QByteArray("555123-4567"));
    }

    void shortInputIsPaddedWithBlanks() {
        const QByteArray full = TestRecords::newRecord("123456").encode();
        const ResultRecord partial = ResultRecord::decode(full.left(99));
        QCOMPARE(partial.encode(), full.left(99) + QByteArray(99, ' '));
        QCOMPARE(ResultRecord::decode(QByteArray()).encode(), QByteArray(198, ' '));
        // Bytes beyond one record are not part of it.
        QCOMPARE(ResultRecord::decode(full + "junk").encode(), full);
    }

    void everyByteRoundTrips() {
        // Including 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page leaves undefined.
        QByteArray bytes;
        for (int i = 0; i < ResultRecord::Size; ++i)
            bytes.append(static_cast<char>((i + 0x80) % 256));
        for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QVERIFY(bytes.contains(static_cast<char>(undefined)));
        QCOMPARE(ResultRecord::decode(bytes).encode(), bytes);

        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(static_cast<char>(i));
        QCOMPARE(Windows1252::encode(Windows1252::decode(all)), all);
    }

    void codePageCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("euro") << QString(QChar(0x20AC)) << QByteArray("\x80");
        QTest::newRow("left double quote") << QString(QChar(0x201C)) << QByteArray("\x93");
        QTest::newRow("e acute") << QString(QChar(0xE9)) << QByteArray("\xE9");
        QTest::newRow("y diaeresis capital") << QString(QChar(0x178)) << QByteArray("\x9F");
    }
    void codePageCharacters() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Windows1252::encode(text), bytes);
        QCOMPARE(Windows1252::decode(bytes), text);
    }

    void unmappableCharactersBecomeOneQuestionMark_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("greek omega") << QString("A%1B").arg(QChar(0x3A9)) << "A?B";
        QTest::newRow("emoji") << QString("A") + QString::fromUtf8("\xF0\x9F\x98\x80") + "B"
                               << "A?B";
        QTest::newRow("C1 control 0x80") << QString("A%1B").arg(QChar(0x80)) << "A?B";
        QTest::newRow("lone surrogate") << QString("A%1B").arg(QChar(0xD800)) << "A?B";
    }
    void unmappableCharactersBecomeOneQuestionMark() {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        ResultRecord record;
        record.set(ResultRecord::Zip, value);
        QCOMPARE(record.trimmed(ResultRecord::Zip), stored);
        // One byte each, so the next field does not move.
        record.set(ResultRecord::ParentsFirst, "P");
        QCOMPARE(record.encode().mid(100, 6),
                 stored.toLatin1() + QByteArray(5 - stored.size(), ' ') + "P");
    }

    void emojiAtTheFieldEndIsNotSplit() {
        ResultRecord record;
        record.set(ResultRecord::Zip,
                   QString("1234") + QString::fromUtf8("\xF0\x9F\x98\x80") + "9");
        QCOMPARE(record.get(ResultRecord::Zip), QString("1234?"));
        QCOMPARE(record.encode().mid(100, 5), QByteArray("1234?"));
    }

    // Text typed or pasted into a box: line breaks and control characters become one blank
    // each, text the code page cannot hold is refused whole.
    void entryTextForARecord_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("entry");
        QTest::newRow("plain") << "O'Neil-Smith ?" << true << "O'Neil-Smith ?";
        QTest::newRow("LF") << "A\nB" << true << "A B";
        QTest::newRow("CR LF is one break") << "A\r\nB\r\n" << true << "A B ";
        QTest::newRow("CR alone, LF CR") << "A\rB\n\rC" << true << "A B  C";
        QTest::newRow("tab, NUL, ESC, 0x1F, DEL")
            << QString("\t%1%2%3%4").arg(QChar(0), QChar(0x1B), QChar(0x1F), QChar(0x7F)) << true
            << "     ";
        QTest::newRow("code page letters")
            << QString::fromUtf8("Jos\xC3\xA9 \xC3\x91 \xE2\x82\xAC") << true
            << QString::fromUtf8("Jos\xC3\xA9 \xC3\x91 \xE2\x82\xAC");
        QTest::newRow("greek") << QString("A%1").arg(QChar(0x3A9)) << false << QString();
        QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80") << false << QString();
        QTest::newRow("C1 control 0x85") << QString(QChar(0x85)) << false << QString();
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << QString();
    }
    void entryTextForARecord() {
        QFETCH(QString, entered);
        QFETCH(bool, taken);
        QFETCH(QString, entry);
        const std::optional<QString> result = RecordText::fromEntry(entered);
        QCOMPARE(result.has_value(), taken);
        if (taken)
            QCOMPARE(*result, entry);
    }

    // The capture: every control character of every field becomes a blank; the line end stays.
    void controlCharactersAreCapturedAsBlanks() {
        ResultRecord record = TestRecords::newRecord("12345\r");
        for (int index = 0; index < ResultRecord::LineEnd; ++index) {
            const auto field = static_cast<Field>(index);
            if (field != ResultRecord::ProviderCode)
                record.set(field, QString("%1\n\t%2x").arg(QChar(0), QChar(0x7F)));
        }
        const QByteArray bytes = RecordText::withControlsBlanked(record).encode();
        QCOMPARE(bytes.size(), ResultRecord::Size);
        QVERIFY(bytes.endsWith("\r\n"));
        for (int i = 0; i < ResultRecord::Size - 2; ++i)
            QVERIFY2(quint8(bytes[i]) >= 0x20 && quint8(bytes[i]) != 0x7F,
                     qPrintable(QString::number(i)));
        QCOMPARE(bytes.mid(ResultRecord::offset(ResultRecord::LastName), 6), QByteArray("    x "));
        QCOMPARE(bytes.mid(ResultRecord::offset(ResultRecord::ProviderCode), 6),
                 QByteArray("12345 "));
        // Without control characters the record is left as it is.
        const ResultRecord plain = TestRecords::newRecord("123456");
        QCOMPARE(RecordText::withControlsBlanked(plain), plain);
    }

    void trimmedRemovesOnlyBlanks() {
        ResultRecord record;
        record.set(ResultRecord::LastName, "  O'Neil\t ");
        QCOMPARE(record.trimmed(ResultRecord::LastName), QString("O'Neil\t"));
    }
};

QTEST_GUILESS_MAIN(tst_ResultRecord)
#include "tst_ResultRecord.moc"
