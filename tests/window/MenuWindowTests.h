#pragma once

#include "storage/RecordStore.h"
#include "submission/RecordsCsv.h"
#include "support/MainWindowFixture.h"
#include "support/PermissionBits.h"
#include "window/help/HelpCommands.h"
#include "window/help/OperatorsGuideWindow.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/history/SubmissionHistoryDialog.h"
#include "window/history/SubmissionHistoryModels.h"
#include "window/main/DesignTables.h"
#include "window/main/MainMenu.h"
#include "window/main/MainWindowController.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/frmKorvanel.h"
#include "window/records/CheckAllRecordsDialog.h"
#include "window/records/FindRecordDialog.h"
#include "window/records/RecordTableModel.h"
#include "window/services/SaveFilePrompt.h"
#include "window/widgets/MaskedEdit.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeView>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Answers the save dialog with a chosen path and keeps what it was offered.
class ScriptedSavePrompt : public SaveFilePrompt {
public:
    QString ask(const QString& title, const QString& suggestedPath) override {
        asked << title + " " + suggestedPath;
        return answer;
    }
    QString answer;
    QStringList asked;
};

// What the tests of the menu bar's windows share: the records they start from, the opening of a
// window by its keys, and the texts of a list's rows.
struct MenuWindowTests {
    static QStringList rowTexts(QAbstractItemModel* model, int row) {
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    static ResultRecord patient(const char* last, const char* first, const char* born,
                                const char* taken) {
        ResultRecord record = MainWindowFixture::completeRecord(QLatin1String(last));
        record.set(ResultRecord::FirstName, QLatin1String(first));
        record.set(ResultRecord::DateOfBirth, QLatin1String(born));
        record.set(ResultRecord::DateTaken, QLatin1String(taken));
        return record;
    }

    static QList<ResultRecord> fourRecords() {
        return {patient("Smith", "Anna", "07042019", "11302026"),
                patient("Smithson", "Carl", "12062015", "01022026"),
                patient("Novak", "Eva", "07302018", "07042019"),
                patient("Jones", "Smithers", "02112020", "10012025")};
    }

    static bool startWith(MainWindowFixture& fixture, const QList<ResultRecord>& records) {
        fixture.setProviderFile("123456");
        if (!records.isEmpty())
            fixture.writeRecords(records);
        return fixture.start();
    }

    static QString titlePosition(MainWindowFixture& fixture) {
        const QString title = fixture.window().windowTitle();
        return title.mid(title.lastIndexOf(QLatin1Char('(')));
    }

    template <typename Dialog>
    static Dialog* openDialog(MainWindowFixture& fixture, QKeyCombination keys) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &fixture.window(), keys.key(), keys.keyboardModifiers());
        Dialog* dialog = nullptr;
        const bool open = QTest::qWaitFor(
            [&] {
                return (dialog = fixture.window().findChild<Dialog*>()) && dialog->isActiveWindow();
            },
            5000);
        return open ? dialog : nullptr;
    }

    // Writes a file under a name given as bytes, which need not be UTF-8.
    static bool writeNative(const QString& folder, const QByteArray& name,
                            const QByteArray& bytes) {
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
        return ::close(fd) == 0 && written;
    }

    static QString recordsLabel(SubmissionHistoryDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->buddy() == dialog.records())
                return label->text();
        return QString();
    }

    static QList<int> shownRecordNumbers(FindRecordDialog& dialog) {
        QList<int> numbers;
        for (int row = 0; row < dialog.rows().rowCount(); ++row)
            numbers << dialog.rows().recordNumber(row);
        return numbers;
    }
};
