#include "support/MainWindowFixture.h"
#include "validation/FieldCodes.h"
#include "validation/Highlight.h"
#include "window/main/FieldControls.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/widgets/ControlText.h"
#include "window/widgets/MaskedEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTest>

namespace {

const QColor kYellow(255, 255, 192);

// The controls of the fifteen mandatory fields, in the order they are coloured.
const QStringList kMandatoryControls = {"mskDateTaken",      "txtLastName",     "txtFirstName",
                                        "mskDateOfBirth",    "txtStreetNumber", "txtStreetName",
                                        "cboCity",           "cboZip",          "mskPhone",
                                        "mskAnalysisDate",   "txtPb",           "txtProviderCode",
                                        "txtAnalysisMethod", "cboRaceCode",     "cboAncestry"};

// The colour the control is drawn with as a background, taken from its palette.
QColor paletteBackground(QWidget* control) {
    auto* box = qobject_cast<QComboBox*>(control);
    const QPalette::ColorRole role = box && !box->isEditable() ? QPalette::Button : QPalette::Base;
    return control->palette().color(control->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                    role);
}

QColor normalBackground(QWidget* control) {
    auto* box = qobject_cast<QComboBox*>(control);
    const QPalette::ColorRole role = box && !box->isEditable() ? QPalette::Button : QPalette::Base;
    return QApplication::palette(control).color(
        control->isEnabled() ? QPalette::Active : QPalette::Disabled, role);
}

// A pixel that the control paints with its background: the middle row, a quarter in from the
// right (away from the text at the left and the arrow of a list at the right).
QColor paintedBackground(QWidget* control) {
    const QImage picture = control->grab().toImage();
    return picture.pixelColor(picture.width() * 3 / 4, picture.height() / 2);
}

bool looksYellow(const QColor& colour) {
    return colour.red() > 200 && colour.green() > 200 && colour.blue() < colour.red() - 40;
}

} // namespace

// The marking of empty mandatory fields as the operator sees it.
class tst_Highlighting : public QObject {
    Q_OBJECT

    static QWidget* control(MainWindowFixture& fixture, ResultRecord::Field field) {
        return FieldControls::controlFor(fixture.form(), field);
    }

private slots:
    void blankNewRecordMarksExactlyTheEmptyMandatoryFields() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        const QStringList marked = {
            "mskDateTaken",    "txtLastName",     "txtFirstName", "mskDateOfBirth",
            "txtStreetNumber", "txtStreetName",   "cboCity",      "cboZip",
            "mskPhone",        "mskAnalysisDate", "txtPb"};
        for (ResultRecord::Field field : MandatoryFields) {
            QWidget* widget = control(fixture, field);
            QVERIFY(widget);
            const QColor expected =
                marked.contains(widget->objectName()) ? kYellow : normalBackground(widget);
            QCOMPARE(paletteBackground(widget), expected);
        }
        QCOMPARE(fixture.form().cboRaceCode->currentText(), QString("Unknown (7)"));
        QCOMPARE(fixture.form().cboAncestry->currentText(), QString("Unknown (19)"));
        QCOMPARE(fixture.form().txtAnalysisMethod->text(), QString("HHLA"));
    }

    void optionalFieldsAreNeverColoured() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        for (QWidget* widget : {static_cast<QWidget*>(fixture.form().txtMiddleInitial),
                                static_cast<QWidget*>(fixture.form().txtAptNumber),
                                static_cast<QWidget*>(fixture.form().txtParentsLast),
                                static_cast<QWidget*>(fixture.form().txtParentsFirst),
                                static_cast<QWidget*>(fixture.form().cboPhysician)}) {
            QVERIFY2(!widget->palette().isBrushSet(QPalette::Active, QPalette::Base),
                     qPrintable(widget->objectName()));
            QVERIFY(!looksYellow(paintedBackground(widget)));
        }
    }

    void normalColourIsThePlatformsNotAFixedWhite() {
        QPalette desktop = QApplication::palette();
        const QColor greyBase(230, 235, 240);
        desktop.setColor(QPalette::Base, greyBase);
        QApplication::setPalette(desktop);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        QVERIFY(fixture.start());
        // txtLastName is white in the form; a shown record gives it the normal colour.
        QCOMPARE(paletteBackground(fixture.form().txtLastName), greyBase);
        QCOMPARE(paletteBackground(fixture.form().txtPb), greyBase);
        QApplication::setPalette(QPalette());
    }

    void blanksInTheResultBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("marked");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("one blank") << " " << true;
        QTest::newRow("two blanks") << "  " << true;
        QTest::newRow("three blanks") << "   " << true;
        QTest::newRow("four blanks: the low result") << "    " << false;
        QTest::newRow("a value") << "4.1" << false;
    }
    void blanksInTheResultBox() {
        QFETCH(QString, text);
        QFETCH(bool, marked);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        fixture.form().txtPb->setText(text);
        fixture.controller().presenter().MandatoryFieldHighlight(fixture.form().txtPb);
        QCOMPARE(paletteBackground(fixture.form().txtPb) == kYellow, marked);
    }

    void resultOptionsRecolourTheResultBox() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        QVERIFY(fixture.start());
        QTest::mouseClick(fixture.form().optLowResult, Qt::LeftButton);
        QCOMPARE(fixture.form().txtPb->text(), QString("    "));
        QVERIFY(!fixture.form().txtPb->isEnabled());
        QCOMPARE(paletteBackground(fixture.form().txtPb), normalBackground(fixture.form().txtPb));
        // Disabled, the box keeps the platform's disabled look.
        QCOMPARE(
            fixture.form().txtPb->palette().color(QPalette::Disabled, QPalette::Base),
            QApplication::palette(fixture.form().txtPb).color(QPalette::Disabled, QPalette::Base));
        QTest::mouseClick(fixture.form().optPbResult, Qt::LeftButton);
        QCOMPARE(fixture.form().txtPb->text(), QString());
        QCOMPARE(paletteBackground(fixture.form().txtPb), kYellow);
    }

    void everyMandatoryControlShowsTheYellow_data() {
        QTest::addColumn<int>("field");
        for (std::size_t i = 0; i < MandatoryFields.size(); ++i)
            QTest::newRow(qPrintable(kMandatoryControls[int(i)])) << int(MandatoryFields[i]);
    }
    void everyMandatoryControlShowsTheYellow() {
        QFETCH(int, field);
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        QVERIFY(fixture.start());
        QWidget* widget = control(fixture, ResultRecord::Field(field));
        QVERIFY(widget);
        QVERIFY2(!looksYellow(paintedBackground(widget)), "a filled field is not marked");
        // Empty the control as it can be emptied, then mark it.
        if (auto* box = qobject_cast<QComboBox*>(widget)) {
            box->setCurrentIndex(-1);
            if (box->isEditable())
                box->setEditText(QString());
        } else if (auto* masked = qobject_cast<MaskedEdit*>(widget)) {
            masked->setRawValue(QString());
        } else {
            qobject_cast<QLineEdit*>(widget)->setText(QString());
        }
        fixture.controller().presenter().MandatoryFieldHighlight(widget);
        const QColor painted = paintedBackground(widget);
        QVERIFY2(looksYellow(painted), qPrintable(painted.name()));
    }

    void theFifteenControlsAreColouredInOrder() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        fixture.writeRecords({MainWindowFixture::completeRecord()});
        QVERIFY(fixture.start());
        for (ResultRecord::Field field : MandatoryFields) {
            QWidget* widget = control(fixture, field);
            QVERIFY(widget);
            // A colour that every call then changes, so that each call is seen.
            QPalette odd = widget->palette();
            odd.setColor(QPalette::Base, Qt::red);
            odd.setColor(QPalette::Button, Qt::red);
            widget->setPalette(odd);
            widget->installEventFilter(this);
        }
        paletteChanges_.clear();
        fixture.controller().presenter().SetMandatoryFieldHighlights();
        // Each mandatory field reaches its own control of the form, every one coloured once.
        QCOMPARE(paletteChanges_, kMandatoryControls);
    }

    // The window's field-to-control table: a shown record's field, read back from the control
    // the table gives for it, is the stored value; only the option groups and the line end have
    // no control.
    void eachFieldReachesTheControlShowingIt() {
        MainWindowFixture fixture;
        fixture.setProviderFile("123456");
        ResultRecord record = MainWindowFixture::completeRecord(QStringLiteral("Lastly"));
        record.set(ResultRecord::ParentsLast, QStringLiteral("Parentson"));
        fixture.writeRecords({record});
        QVERIFY(fixture.start());
        for (int i = 0; i < ResultRecord::FieldCount; ++i) {
            const auto field = ResultRecord::Field(i);
            QWidget* widget = control(fixture, field);
            const bool noControl =
                field == ResultRecord::Sex || field == ResultRecord::BelowDetection ||
                field == ResultRecord::TestType || field == ResultRecord::LineEnd;
            QVERIFY2((widget == nullptr) == noControl, qPrintable(QString::number(i)));
            if (!widget)
                continue;
            QString shown = controlText(widget);
            if (field == ResultRecord::PhoneAreaCode)
                shown = FieldCodes::phoneFieldsFromRawValue(shown).areaCode;
            else if (field == ResultRecord::PhoneNumber)
                shown = FieldCodes::phoneFieldsFromRawValue(shown).number;
            else if (field == ResultRecord::RaceCode)
                shown = FieldCodes::raceCodeFromEntry(shown);
            else if (field == ResultRecord::Ancestry)
                shown = FieldCodes::ancestryCodeFromEntry(shown);
            QCOMPARE(shown.trimmed(), record.trimmed(field));
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange)
            paletteChanges_ << watched->objectName();
        return false;
    }

private:
    QStringList paletteChanges_;
};

QTEST_MAIN(tst_Highlighting)
#include "tst_Highlighting.moc"
