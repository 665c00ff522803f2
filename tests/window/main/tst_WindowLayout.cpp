#include "support/MainWindowTestAccess.h"
#include "ui_dlgProviderCode.h"
#include "ui_frmKorvanel.h"
#include "window/main/DesignTables.h"
#include "window/main/MainMenu.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/dlgProviderCode.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/records/FindRecordDialog.h"
#include "window/widgets/MaskedEdit.h"

#include <QAccessible>
#include <QImage>
#include <QMenuBar>
#include <QProcess>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTest>
#include <QTreeView>

namespace {

int px(int twips) {
    return qRound(twips / 15.0);
}

QString captionOf(const QWidget* w) {
    if (auto label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto frame = qobject_cast<const QGroupBox*>(w))
        return frame->title();
    return QString();
}

bool isKind(const QWidget* w, const QString& kind) {
    auto combo = qobject_cast<const QComboBox*>(w);
    if (kind == "text box")
        return qobject_cast<const QLineEdit*>(w) && !qobject_cast<const MaskedEdit*>(w);
    if (kind == "masked edit box")
        return qobject_cast<const MaskedEdit*>(w);
    if (kind == "drop-down combo")
        return combo && combo->isEditable();
    if (kind == "drop-down list")
        return combo && !combo->isEditable();
    if (kind == "option button")
        return qobject_cast<const QRadioButton*>(w);
    if (kind == "command button")
        return qobject_cast<const QPushButton*>(w);
    if (kind == "label")
        return qobject_cast<const QLabel*>(w);
    if (kind == "frame")
        return qobject_cast<const QGroupBox*>(w);
    if (kind == "picture box")
        return QString(w->metaObject()->className()) == "QWidget";
    return false;
}

// The controls the Tab key stops at, in tab-index order; an option group stops only at its
// selected button, or at its first button while none is selected.
QStringList expectedTabWalk(const QWidget& window, const DesignRow* rows, int count) {
    QList<const DesignRow*> stops;
    for (int i = 0; i < count; ++i) {
        if (rows[i].tabStop)
            stops.append(&rows[i]);
    }
    std::sort(stops.begin(), stops.end(),
              [](const DesignRow* a, const DesignRow* b) { return a->tabIndex < b->tabIndex; });
    QStringList walk;
    QSet<QButtonGroup*> groupsSeen;
    for (const DesignRow* row : stops) {
        auto option = window.findChild<QRadioButton*>(row->name);
        if (option && option->group()) {
            QAbstractButton* selected = option->group()->checkedButton();
            if (selected ? !option->isChecked() : groupsSeen.contains(option->group()))
                continue;
            groupsSeen.insert(option->group());
        }
        walk.append(row->name);
    }
    return walk;
}

QStringList tabWalk(QWidget& window, const QString& first, int steps, bool backwards = false) {
    window.findChild<QWidget*>(first)->setFocus(Qt::OtherFocusReason);
    QStringList walk{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* focus = QApplication::focusWidget();
        // An editable combo box keeps the focus in its line edit.
        if (qobject_cast<QComboBox*>(focus->parentWidget()))
            focus = focus->parentWidget();
        walk.append(focus->objectName());
    }
    return walk;
}

// What a screen reader calls each control: the label's text without its colon, or what the
// operator calls a control without a label. Buttons not listed are named by their caption.
struct AccessibleNameRow {
    const char* window;
    const char* control;
    const char* name;
};

const AccessibleNameRow kAccessibleNames[] = {
    {"frmKorvanel", "mskDateTaken", "Date Taken"},
    {"frmKorvanel", "cmdDateTakenToday", "Today's Date for Date Taken"},
    {"frmKorvanel", "txtLastName", "Last Name"},
    {"frmKorvanel", "txtFirstName", "First Name"},
    {"frmKorvanel", "txtMiddleInitial", "Middle Initial"},
    {"frmKorvanel", "mskDateOfBirth", "Date of Birth"},
    {"frmKorvanel", "optMale", "Male"},
    {"frmKorvanel", "optFemale", "Female"},
    {"frmKorvanel", "txtStreetNumber", "Street Number"},
    {"frmKorvanel", "txtStreetName", "Street Name"},
    {"frmKorvanel", "txtAptNumber", "Apt Number"},
    {"frmKorvanel", "cboCity", "City"},
    {"frmKorvanel", "cboZip", "Zip Code"},
    {"frmKorvanel", "txtParentsLast", "Parents Last"},
    {"frmKorvanel", "txtParentsFirst", "Parents First"},
    {"frmKorvanel", "mskPhone", "Phone"},
    {"frmKorvanel", "Picture1", "Test Type"},
    {"frmKorvanel", "optCapillary", "Capillary"},
    {"frmKorvanel", "optVenous", "Venous"},
    {"frmKorvanel", "mskAnalysisDate", "Analysis Date"},
    {"frmKorvanel", "cmdAnalysisDateToday", "Today's Date for Analysis Date"},
    {"frmKorvanel", "optPbResult", "Pb Result"},
    {"frmKorvanel", "txtPb", "Pb Result"},
    {"frmKorvanel", "optLowResult", "Low Result"},
    {"frmKorvanel", "optHighResult", "High Result"},
    {"frmKorvanel", "cboPhysician", "Physician"},
    {"frmKorvanel", "txtProviderCode", "Provider Code"},
    {"frmKorvanel", "cmdChangeProviderCode", "Change Provider Code"},
    {"frmKorvanel", "txtAnalysisMethod", "Analysis Method"},
    {"frmKorvanel", "cboRaceCode", "Race"},
    {"frmKorvanel", "cboAncestry", "Ancestry"},
    {"frmKorvanel", "cmdNew", "New Record"},
    {"frmKorvanel", "cmdDelete", "Delete Record"},
    {"frmKorvanel", "cmdUpdate", "Update Record"},
    {"frmKorvanel", "cmdPrevious", "Previous"},
    {"frmKorvanel", "cmdNext", "Next"},
    {"frmKorvanel", "cmdPrint", "Print Record"},
    {"frmKorvanel", "cmdWriteEFile", "Create Electronic File"},
    {"frmKorvanel", "cmdExit", "Exit"},
    {"frmKorvanel", "menuBar", "Menu Bar"},
    {"dlgProviderCode", "mskProviderCode", "Provider Code"},
    {"dlgProviderCode", "OKButton", "OK"},
    {"dlgProviderCode", "CancelButton", "Cancel"},
    {"Find Record", "filterBox", "Find"},
    {"Find Record", "table", "Records"},
    {"Check All Records", "table", "Problems"},
};

QString accessibleName(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

// The four windows with their menu bar and their list controls under the names of the table.
struct NamedWindows {
    frmKorvanel main;
    MainMenu menu{main, *MainWindowTestAccess::controls(main).cmdNext,
                  *MainWindowTestAccess::controls(main).cmdNew};
    dlgProviderCode dialog{&main};
    FindRecordDialog find{{}, QString(), {}, &main};
    CheckAllRecordsDialog check{
        RecordsCheckReport{1, 0, 1, 0, {{1, "Lee, Kim", "Missing Phone."}}, {}}, &main};

    NamedWindows() {
        menu.bar()->setObjectName("menuBar");
        find.filterBox()->setObjectName("filterBox");
        find.table()->setObjectName("table");
        check.table()->setObjectName("table");
    }
    QWidget* window(const QString& name) {
        for (QWidget* w : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&dialog),
                           static_cast<QWidget*>(&find), static_cast<QWidget*>(&check)}) {
            if (w->objectName() == name || w->windowTitle() == name)
                return w;
        }
        return nullptr;
    }
    QWidget* control(const AccessibleNameRow& row) {
        QWidget* top = window(row.window);
        for (QWidget* w : top->findChildren<QWidget*>(row.control)) {
            if (w->window() == top)
                return w;
        }
        return nullptr;
    }
};

} // namespace

class tst_WindowLayout : public QObject {
    Q_OBJECT

private slots:
    // Any warning fails a test, except the offscreen platform noting what it cannot do.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support).*")); }

    void controls_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kMainWindowDesign)); ++i)
            QTest::newRow(kMainWindowDesign[i].name) << 0 << i;
        for (int i = 0; i < int(std::size(kProviderDialogDesign)); ++i)
            QTest::newRow(QByteArray("dialog ") + kProviderDialogDesign[i].name) << 1 << i;
    }
    void controls() {
        QFETCH(int, window);
        QFETCH(int, row);
        frmKorvanel main;
        dlgProviderCode dialog(&main);
        QWidget& top = window == 0 ? static_cast<QWidget&>(main) : dialog;
        const DesignRow& d = window == 0 ? kMainWindowDesign[row] : kProviderDialogDesign[row];

        QList<QWidget*> found = top.findChildren<QWidget*>(d.name);
        found.removeIf([&top](QWidget* w) { return w->window() != &top; });
        QCOMPARE(found.size(), 1);
        QWidget* w = found.first();
        QVERIFY2(isKind(w, d.kind), w->metaObject()->className());
        QCOMPARE(w->parentWidget()->objectName(), QString(d.parent));
        QCOMPARE(captionOf(w), QString::fromUtf8(d.caption));
        QCOMPARE(w->toolTip(), QString::fromUtf8(d.toolTip));
        QCOMPARE(w->geometry(), QRect(px(d.left), px(d.top), px(d.width), px(d.height)));
        QVERIFY(w->isEnabled());

        auto edit = qobject_cast<QLineEdit*>(w);
        if (edit && !qobject_cast<MaskedEdit*>(w))
            QCOMPARE(edit->maxLength(), d.maxLength);
        if (edit)
            QCOMPARE(edit->isReadOnly(), d.readOnly);
        if (auto masked = qobject_cast<MaskedEdit*>(w))
            QVERIFY(masked->inputMask().isEmpty()); // set at run time
        if (auto combo = qobject_cast<QComboBox*>(w))
            QCOMPARE(combo->count(), 0);
        if (auto button = qobject_cast<QPushButton*>(w)) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }

        const QString kind = d.kind;
        const bool focusable = kind != "label" && kind != "frame" && kind != "picture box";
        const Qt::FocusPolicy policy = w->focusPolicy();
        if (!focusable)
            QCOMPARE(policy, Qt::NoFocus);
        else if (!d.tabStop)
            QCOMPARE(policy, Qt::ClickFocus);
        else if (kind == "option button" && d.name == QString("optFemale"))
            QCOMPARE(policy, Qt::ClickFocus); // the selected optMale holds the group's stop
        else
            QVERIFY(policy & Qt::TabFocus);
    }

    void mainWindowDesign() {
        frmKorvanel w;
        auto& f = MainWindowTestAccess::controls(w);
        QCOMPARE(w.objectName(), QString("frmKorvanel"));
        QCOMPARE(QString(w.metaObject()->className()), QString("frmKorvanel"));
        QCOMPARE(w.windowTitle(),
                 QString::fromUtf8("Korvanel® Blood Lead Result Reporting - vx.x.x - "
                                   "State of CM Universal Format "));
        QCOMPARE(w.size(), QSize(607, 438));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        const QList<QSize> iconSizes = w.windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)));
        QVERIFY(iconSizes.contains(QSize(32, 32)));
        // The window's icon is the installed icon's picture, pixel for pixel.
        for (int side : {16, 32}) {
            const QImage file =
                QImage(QStringLiteral(KORVANEL_SOURCE_DIR "/window/main/icons/korvanel%1.png")
                           .arg(side))
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage shown = w.windowIcon()
                                     .pixmap(QSize(side, side), 1.0)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(shown.size(), QSize(side, side));
            QCOMPARE(file.size(), shown.size());
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x)
                    QCOMPARE(shown.pixel(x, y), file.pixel(x, y));
            }
        }

        QCOMPARE(f.txtLastName->palette().color(QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(f.fraParents->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QCOMPARE(f.lblParentsFirst->palette().color(QPalette::WindowText), QColor(0, 0, 0));

        QVERIFY(f.optMale->isChecked());
        QVERIFY(!f.optFemale->isChecked());
        QCOMPARE(f.testTypeGroup->checkedButton(), nullptr);
        QCOMPARE(f.resultGroup->checkedButton(), nullptr);
    }

    void dialogDesign() {
        frmKorvanel main;
        dlgProviderCode d(&main);
        QCOMPARE(d.objectName(), QString("dlgProviderCode"));
        QCOMPARE(d.windowTitle(), QString("Update Provider Code"));
        QCOMPARE(d.size(), QSize(325, 82));
        QCOMPARE(d.minimumSize(), d.maximumSize());
        QVERIFY(d.isModal());
        QCOMPARE(d.parentWidget(), &main);
        QCOMPARE(d.windowType(), Qt::Dialog);
        QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(d.windowIcon().availableSizes().contains(QSize(16, 16)));
    }

    // Every caption, label and list entry is shown whole in the window's font at the form's
    // sizes; a caption that does not fit on one line wraps in a command button. So too on
    // high-resolution screens, where the whole window is drawn at 1.5 or 2 times the size.
    void captionsFit_data() {
        QTest::addColumn<QString>("scale");
        for (const char* scale : {"1", "1.5", "2"})
            QTest::newRow(QByteArray(scale) + "x") << QString(scale);
    }
    void captionsFit() {
        QFETCH(QString, scale);
        if (qEnvironmentVariable("QT_SCALE_FACTOR", "1") != scale) {
            // The scale factor is read once, when the application starts: a copy of this test
            // started at that factor checks the row.
            QProcess copy;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_SCALE_FACTOR", scale);
            copy.setProcessEnvironment(env);
            copy.setProcessChannelMode(QProcess::MergedChannels);
            copy.start(QCoreApplication::applicationFilePath(),
                       {QString("captionsFit:%1").arg(QTest::currentDataTag())});
            QVERIFY(copy.waitForFinished(60000));
            QVERIFY2(copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0,
                     copy.readAll().constData());
            return;
        }
        QCOMPARE(frmKorvanel().devicePixelRatioF(), scale.toDouble());
        frmKorvanel main;
        dlgProviderCode dialog(&main);
        auto& f = MainWindowTestAccess::controls(main);
        f.cboRaceCode->addItems({"Black (1)", "White (3)", "Asian - Pacific Islander (4)",
                                 "American Indian - Alaskan Native (5)", "Other (6)",
                                 "Unknown (7)"});
        f.cboAncestry->addItems({"Non-Hispanic (00)", "Hispanic (20)", "Unknown (19)"});
        QList<QWidget*> controls = main.findChildren<QWidget*>();
        for (QWidget* w : controls) {
            const QFontMetrics metrics(w->font());
            QString problem;
            if (auto label = qobject_cast<QLabel*>(w)) {
                if (metrics.horizontalAdvance(label->text()) > label->contentsRect().width() ||
                    metrics.height() > label->height())
                    problem = label->text();
            } else if (auto option = qobject_cast<QRadioButton*>(w)) {
                QStyleOptionButton style;
                style.initFrom(option);
                style.text = option->text();
                const QRect room =
                    option->style()->subElementRect(QStyle::SE_RadioButtonContents, &style, option);
                if (metrics.horizontalAdvance(option->text()) > room.width())
                    problem = option->text();
            } else if (auto button = qobject_cast<QPushButton*>(w)) {
                QStyleOptionButton style;
                style.initFrom(button);
                const QRect room =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &style, button);
                const QRect needed =
                    metrics.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, button->text());
                if (!room.contains(needed))
                    problem = button->text();
            } else if (auto frame = qobject_cast<QGroupBox*>(w)) {
                if (metrics.horizontalAdvance(frame->title()) > frame->width() - 20)
                    problem = frame->title();
            } else if (auto combo = qobject_cast<QComboBox*>(w)) {
                QStyleOptionComboBox style;
                style.initFrom(combo);
                style.editable = combo->isEditable();
                const QRect room = combo->style()->subControlRect(
                    QStyle::CC_ComboBox, &style, QStyle::SC_ComboBoxEditField, combo);
                for (int i = 0; i < combo->count(); ++i) {
                    if (metrics.horizontalAdvance(combo->itemText(i)) > room.width() - 4)
                        problem = combo->itemText(i);
                }
            }
            QVERIFY2(problem.isEmpty(), qPrintable(w->objectName() + ": " + problem));
        }
    }

    void accessibleNames_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kAccessibleNames)); ++i) {
            QTest::newRow(QByteArray(kAccessibleNames[i].window) + " " +
                          kAccessibleNames[i].control)
                << i;
        }
    }
    void accessibleNames() {
        QFETCH(int, row);
        NamedWindows windows;
        const AccessibleNameRow& expected = kAccessibleNames[row];
        QWidget* w = windows.control(expected);
        QVERIFY(w);
        QCOMPARE(accessibleName(w), QString::fromUtf8(expected.name));
        // An editable list keeps the focus in its text box, which a screen reader names.
        if (auto combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
            QCOMPARE(accessibleName(combo->lineEdit()), QString::fromUtf8(expected.name));
    }

    // No control that takes the focus or a click is missing from the table above; a button
    // named by its caption follows a changed caption.
    void everyControlIsNamed() {
        NamedWindows windows;
        QSet<QWidget*> named;
        for (const AccessibleNameRow& row : kAccessibleNames)
            named.insert(windows.control(row));
        for (const char* title :
             {"frmKorvanel", "dlgProviderCode", "Find Record", "Check All Records"}) {
            QWidget* top = windows.window(title);
            for (QWidget* w : top->findChildren<QWidget*>()) {
                const bool operable =
                    w->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(w);
                if (!operable || w->window() != top || !w->isVisibleTo(top) ||
                    qobject_cast<QComboBox*>(w->parentWidget()))
                    continue;
                QVERIFY2(named.contains(w),
                         qPrintable(QString("%1: %2 %3 (%4)")
                                        .arg(title, w->metaObject()->className(), w->objectName(),
                                             accessibleName(w))));
            }
        }
        MainWindowTestAccess::controls(windows.main).cmdDelete->setText("Cancel");
        QCOMPARE(accessibleName(MainWindowTestAccess::controls(windows.main).cmdDelete),
                 QString("Cancel"));
    }

    void mainTabWalk() {
        frmKorvanel w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QStringList expected =
            expectedTabWalk(w, kMainWindowDesign, int(std::size(kMainWindowDesign)));
        QCOMPARE(expected.first(), QString("mskDateTaken"));
        QCOMPARE(tabWalk(w, "mskDateTaken", expected.size() + 1), expected + expected.mid(0, 1));

        QStringList backwards = expected;
        std::reverse(backwards.begin(), backwards.end());
        QCOMPARE(tabWalk(w, "cmdExit", expected.size(), true), backwards);

        // Selected buttons hold their group's only stop.
        MainWindowTestAccess::controls(w).optFemale->setChecked(true);
        MainWindowTestAccess::controls(w).optVenous->setChecked(true);
        MainWindowTestAccess::controls(w).optLowResult->setChecked(true);
        expected = expectedTabWalk(w, kMainWindowDesign, int(std::size(kMainWindowDesign)));
        QVERIFY(expected.contains("optFemale") && !expected.contains("optMale"));
        QVERIFY(expected.contains("optVenous") && !expected.contains("optCapillary"));
        QVERIFY(expected.contains("optLowResult") && !expected.contains("optPbResult"));
        QCOMPARE(tabWalk(w, "mskDateTaken", expected.size() + 1), expected + expected.mid(0, 1));

        // The "..." buttons and the read-only boxes take the focus when clicked.
        const QList<QWidget*> clickOnlyControls{
            MainWindowTestAccess::controls(w).cmdDateTakenToday,
            MainWindowTestAccess::controls(w).cmdAnalysisDateToday,
            MainWindowTestAccess::controls(w).cmdChangeProviderCode,
            MainWindowTestAccess::controls(w).txtProviderCode,
            MainWindowTestAccess::controls(w).txtAnalysisMethod};
        for (QWidget* clickOnly : clickOnlyControls) {
            QTest::mouseClick(clickOnly, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), clickOnly);
        }
    }

    void dialogTabWalk() {
        frmKorvanel main;
        dlgProviderCode d(&main);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(tabWalk(d, "mskProviderCode", 4),
                 QStringList({"mskProviderCode", "OKButton", "CancelButton", "mskProviderCode"}));
    }

    void typingLimits_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("accepted");
        for (const DesignRow& d : kMainWindowDesign) {
            if (QString(d.kind) == "text box" && !d.readOnly)
                QTest::newRow(d.name) << d.name << d.maxLength;
        }
    }
    void typingLimits() {
        QFETCH(QString, name);
        QFETCH(int, accepted);
        frmKorvanel w;
        auto box = w.findChild<QLineEdit*>(name);
        QTest::keyClicks(box, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        QCOMPARE(box->text(), QString("ABCDEFGHIJKLMNOPQRSTUVWXYZ").left(accepted));
    }

    void listsAcceptTypedTextOnlyWhenEditable() {
        frmKorvanel w;
        auto& f = MainWindowTestAccess::controls(w);
        for (QComboBox* list : {f.cboRaceCode, f.cboAncestry}) {
            list->addItems({"Black (1)", "White (3)"});
            list->setCurrentIndex(0);
            QTest::keyClicks(list, "Zulu");
            QVERIFY(list->currentText() == "Black (1)" || list->currentText() == "White (3)");
        }
        for (QComboBox* combo : {f.cboCity, f.cboZip, f.cboPhysician}) {
            combo->addItems({"Alpha", "Beta"});
            combo->setEditText(QString());
            QTest::keyClicks(combo->lineEdit(), "Zulu 12");
            QCOMPARE(combo->currentText(), QString("Zulu 12"));
        }
    }

    void optionGroupsAreIndependent() {
        frmKorvanel w;
        auto& f = MainWindowTestAccess::controls(w);
        w.show();
        QTest::mouseClick(f.optVenous, Qt::LeftButton);
        QVERIFY(f.optVenous->isChecked());
        QVERIFY(f.optMale->isChecked());
        QCOMPARE(f.resultGroup->checkedButton(), nullptr);

        QTest::mouseClick(f.optPbResult, Qt::LeftButton);
        QTest::mouseClick(f.optLowResult, Qt::LeftButton);
        QVERIFY(f.optLowResult->isChecked());
        QVERIFY(!f.optPbResult->isChecked() && !f.optHighResult->isChecked());
        QVERIFY(f.optVenous->isChecked() && f.optMale->isChecked());

        QTest::mouseClick(f.optFemale, Qt::LeftButton);
        QVERIFY(!f.optMale->isChecked());
        QVERIFY(f.optVenous->isChecked() && f.optLowResult->isChecked());
    }

    void enterAndEscPressNoDialogButton() {
        frmKorvanel main;
        dlgProviderCode d(&main);
        MainWindowTestAccess::controls(d).mskProviderCode->setMaskPattern(
            MaskedEdit::ProviderCodeMask);
        QSignalSpy ok(MainWindowTestAccess::controls(d).OKButton, &QPushButton::clicked);
        QSignalSpy cancel(MainWindowTestAccess::controls(d).CancelButton, &QPushButton::clicked);
        QSignalSpy finished(&d, &QDialog::finished);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        for (QWidget* focus :
             {static_cast<QWidget*>(MainWindowTestAccess::controls(d).mskProviderCode),
              static_cast<QWidget*>(MainWindowTestAccess::controls(d).OKButton)}) {
            focus->setFocus();
            QTest::keyClicks(MainWindowTestAccess::controls(d).mskProviderCode, "123456");
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
        }
        QCOMPARE(ok.count(), 0);
        QCOMPARE(cancel.count(), 0);
        QCOMPARE(finished.count(), 0);
        QVERIFY(d.isVisible());
    }

    void enterOnMainWindowFieldPressesNothing() {
        frmKorvanel w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        int clicks = 0;
        for (QPushButton* button : w.findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        for (QWidget* field :
             {static_cast<QWidget*>(MainWindowTestAccess::controls(w).txtLastName),
              static_cast<QWidget*>(MainWindowTestAccess::controls(w).mskDateTaken),
              static_cast<QWidget*>(MainWindowTestAccess::controls(w).cboCity)}) {
            field->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        }
        QCOMPARE(clicks, 0);
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(tst_WindowLayout)
#include "tst_WindowLayout.moc"
